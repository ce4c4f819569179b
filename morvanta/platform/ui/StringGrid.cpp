#include "morvanta/platform/ui/StringGrid.h"

#include <QHeaderView>
#include <QKeyEvent>

#include "morvanta/platform/ui/UiText.h"

namespace morvanta {

TStringGrid::TStringGrid(QWidget* parent, const char* name, int colCount, int rowCount)
    : QTableWidget(rowCount, colCount, parent) {
  setObjectName(QString::fromLatin1(name));
  horizontalHeader()->hide();
  verticalHeader()->hide();
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setTabKeyNavigation(false);  // Tab leaves the grid
  SetDefaultColWidth(64);
  SetDefaultRowHeight(24);
  for (int row = 0; row < rowCount; ++row)
    for (int col = 0; col < colCount; ++col) StyleCell(col, row);
}

void TStringGrid::SetRowCount(int rows) {
  const int old = rowCount();
  setRowCount(rows);
  for (int row = old; row < rows; ++row)
    for (int col = 0; col < columnCount(); ++col) StyleCell(col, row);
}

void TStringGrid::SetDefaultColWidth(int width) {
  horizontalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setDefaultSectionSize(width);
  for (int col = 0; col < columnCount(); ++col) setColumnWidth(col, width);
}

void TStringGrid::SetDefaultRowHeight(int height) {
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setDefaultSectionSize(height);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
}

AnsiString TStringGrid::Cells(int col, int row) const {
  const QTableWidgetItem* cell = item(row, col);
  return cell ? FromQString(cell->text()) : AnsiString();
}

void TStringGrid::SetCells(int col, int row, const AnsiString& text) {
  if (col < 0 || row < 0 || col >= columnCount() || row >= rowCount()) return;
  if (!item(row, col)) StyleCell(col, row);
  item(row, col)->setText(ToQString(text));
}

// Cells of the first row and column look like headers and cannot be selected.
void TStringGrid::StyleCell(int col, int row) {
  auto* cell = new QTableWidgetItem();
  if (row == 0 || col == 0) {
    cell->setFlags(Qt::ItemIsEnabled);
    cell->setBackground(palette().brush(QPalette::Button));
  } else {
    cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  }
  setItem(row, col, cell);
}

// Tab and Shift+Tab leave the grid for the next or previous control.
void TStringGrid::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
    QWidget::focusNextPrevChild(event->key() == Qt::Key_Tab);
    return;
  }
  QTableWidget::keyPressEvent(event);
}

}  // namespace morvanta
