#include <gtest/gtest.h>

#include "morvanta/platform/framework/DatabasePlace.h"

using namespace morvanta;

namespace {

struct PlaceCase {
  const char* database;
  DatabasePlace place;
};

class DatabasePlaceOf : public testing::TestWithParam<PlaceCase> {};

TEST_P(DatabasePlaceOf, TellsAServerOfAnotherMachineFromEverythingOnThisOne) {
  EXPECT_EQ(PlaceOf(GetParam().database), GetParam().place) << GetParam().database;
}

constexpr auto kHere = DatabasePlace::ThisMachine;
constexpr auto kThere = DatabasePlace::OtherMachine;

INSTANTIATE_TEST_SUITE_P(
    Names, DatabasePlaceOf,
    testing::Values(
        PlaceCase{"/var/lib/firebird/3.0/data/loja.fdb", kHere}, PlaceCase{"loja.fdb", kHere},
        PlaceCase{"C:\\Dados\\loja.fdb", kHere}, PlaceCase{"c:/dados/loja.fdb", kHere}, PlaceCase{"", kHere},
        PlaceCase{"localhost:/dados/loja.fdb", kHere}, PlaceCase{"LocalHost/3051:/dados/loja.fdb", kHere},
        PlaceCase{"127.0.0.1:/dados/loja.fdb", kHere}, PlaceCase{"127.0.1.1/3050:loja", kHere},
        PlaceCase{"[::1]:/dados/loja.fdb", kHere}, PlaceCase{"inet://localhost/dados/loja.fdb", kHere},
        PlaceCase{"srv-recife:/dados/loja.fdb", kThere}, PlaceCase{"srv-recife/3051:/dados/loja.fdb", kThere},
        PlaceCase{"10.0.3.5:C:\\Dados\\loja.fdb", kThere}, PlaceCase{"[fe80::1]:/dados/loja.fdb", kThere},
        PlaceCase{"inet://srv-recife:3051/loja", kThere}, PlaceCase{"INET://10.0.3.5/dados/loja.fdb", kThere}));

}  // namespace
