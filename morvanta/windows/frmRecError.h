#pragma once
// The report window of a failed statement: where it happened (form, component, unit), the error,
// the statement with its values written in, and the statement's parameters.

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/ui/Form.h"
#include "morvanta/platform/framework/SQLQuery.h"

#include <QString>

class QLabel;
class QPushButton;
class QTextEdit;

namespace morvanta {

class TStringGrid;

class TfrmRecError : public TForm {
 public:
  explicit TfrmRecError(TComponent* owner);
  static constexpr const char* kClassName = "TfrmRecError";
  const char* ClassName() const override { return kClassName; }
  const char* UnitName() const override { return "ufrmRecError"; }

  void FillReport(TSQLQuery& query, const Exception& error, const AnsiString& sqlText, const AnsiString& formName,
                  const AnsiString& componentName, const AnsiString& unitName);
  // Appends one parameter line: the name and the value into the grid's last row, then a new row.
  void AddParamRow(const AnsiString& name, const AnsiString& value);
  void btnOkClick();
  // The report as text: the three names, the message, the statement and the parameter rows (name
  // and value separated by a tab).
  QString ReportText() const;
  // Ctrl+C: the selection of the focused text box, or else the whole report, to the clipboard.
  void CopyToClipboard() const;

  QLabel *Label1, *lblForm, *Label5, *lblUnit, *IconImage, *Label3, *lblComp, *Label2, *Label4, *lblParam;
  QTextEdit *mmoMsgError, *mmoSqlError;
  TStringGrid* GridParam;
  QPushButton* btnOk;

 private:
  // The names as given; the labels may show them elided.
  struct {
    AnsiString form, component, unit;
  } names_;
};

// The report view of a graphical program: a report window of its own, filled for the failed query
// and shown modally; returns once it was closed. The application keeps the window.
void ShowSQLErrorReportWindow(TSQLQuery& query, const Exception& error, const AnsiString& sqlText,
                              const AnsiString& formName, const AnsiString& componentName, const AnsiString& unitName);

}  // namespace morvanta
