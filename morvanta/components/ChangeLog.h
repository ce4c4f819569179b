#pragma once
// The change log's writers: what a logged dataset records of its executed statements and of its
// written or deleted rows.

#include "morvanta/platform/core/Text.h"

namespace morvanta {

class TMorvantaDataset;

// Records an executed statement with the dataset's parameter values.
void LogStatementChange(TMorvantaDataset& dataset, const AnsiString& operation, const AnsiString& table,
                        const AnsiString& formName, const AnsiString& queryName);
// Records a written or deleted row with the dataset's field values.
void LogRowChange(TMorvantaDataset& dataset, const AnsiString& operation, const AnsiString& table,
                  const AnsiString& formName, const AnsiString& queryName);

}  // namespace morvanta
