#include "morvanta/components/MorvantaUpDateObject.h"

namespace morvanta {

TMorvantaUpDateObject::TMorvantaUpDateObject(TComponent* owner)
    : TUpdateSQL(owner), refreshSQL_(std::make_unique<TStrings>()) {}

TMorvantaUpDateObject::~TMorvantaUpDateObject() { refreshSQL_.reset(); }

}  // namespace morvanta
