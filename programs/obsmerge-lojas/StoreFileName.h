#pragma once
// The name of a store's files in the report folder (its log, the outputs of its reading runs):
// letters, digits, '-', '_' and '.' of the store name are kept, anything else becomes '_', and a
// name that had to change (or is empty, or starts with a dot) gets a short hash of the original,
// so that two stores never share a file and no name leaves the folder.

#include <string>

#include "morvanta/platform/core/Text.h"

using namespace morvanta;

std::string StoreFileName(const AnsiString& store);
