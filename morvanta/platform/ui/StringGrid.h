#pragma once
// A text grid: cells addressed by column and row, the first row and the first column fixed (drawn
// like headers, not selectable), a default column width and a row count that can grow.

#include <QTableWidget>

#include "morvanta/platform/core/Text.h"

namespace morvanta {

class TStringGrid : public QTableWidget {
 public:
  TStringGrid(QWidget* parent, const char* name, int colCount, int rowCount);

  int RowCount() const { return rowCount(); }
  void SetRowCount(int rows);
  int ColCount() const { return columnCount(); }
  void SetDefaultColWidth(int width);
  void SetDefaultRowHeight(int height);

  AnsiString Cells(int col, int row) const;
  void SetCells(int col, int row, const AnsiString& text);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void StyleCell(int col, int row);
};

}  // namespace morvanta
