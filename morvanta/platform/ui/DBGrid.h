#pragma once
// A data grid on a data source: one column per field of the source's dataset, one line per cached
// row, read on demand so that large caches stay quick. Moving in the grid moves the dataset's
// current record, and the grid follows when the dataset moves or changes.

#include <QTableView>

#include <memory>

namespace morvanta {

class TDataSource;
class DataSetTableModel;
class TComponent;

class TDBGrid : public QTableView {
 public:
  TDBGrid(QWidget* parent, const char* name);
  ~TDBGrid() override;

  TDataSource* DataSource() const { return dataSource_; }
  // Links the grid to a source (not owned; it must outlive the grid or be unlinked first).
  void SetDataSource(TDataSource* source);

 protected:
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  void SourceChanged(int event);
  void FollowDataSet();

  TDataSource* dataSource_ = nullptr;
  DataSetTableModel* model_;
  std::unique_ptr<TComponent> watch_;  // tells the grid when the source goes
  bool following_ = false;             // the grid moves because the dataset did
};

}  // namespace morvanta
