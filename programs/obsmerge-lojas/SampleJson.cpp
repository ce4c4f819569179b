#include "programs/obsmerge-lojas/SampleJson.h"

using namespace morvanta;

nlohmann::ordered_json SamplesToJson(const std::vector<MergeSample>& samples) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const MergeSample& s : samples)
    list.push_back({{"lja_codigo", s.store},
                    {"cpe_codigo", s.order},
                    {"before", ToSystem(s.before)},
                    {"after", ToSystem(s.after)}});
  return list;
}

std::vector<MergeSample> SamplesFromJson(const nlohmann::ordered_json& samples) {
  std::vector<MergeSample> list;
  for (const auto& s : samples)
    list.push_back({s.at("lja_codigo").get<std::int64_t>(), s.at("cpe_codigo").get<std::int64_t>(),
                    FromSystem(s.at("before").get<std::string>()), FromSystem(s.at("after").get<std::string>())});
  return list;
}
