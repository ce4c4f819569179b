#include "morvanta/platform/ui/DBGrid.h"

#include <QAbstractTableModel>
#include <QHeaderView>

#include "morvanta/platform/framework/DataSet.h"
#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/ui/UiText.h"
#include "morvanta/platform/framework/UserInteraction.h"

namespace morvanta {

// The rows of a source's dataset for the view: counts and headers are kept, cell texts are read
// from the record cache when the view asks for them.
class DataSetTableModel : public QAbstractTableModel {
 public:
  explicit DataSetTableModel(QObject* parent) : QAbstractTableModel(parent) {}

  void SetSource(TDataSource* source) {
    source_ = source;
    Refresh();
  }
  TDataSet* DataSet() const { return source_ ? source_->DataSet() : nullptr; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : rows_; }
  int columnCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    TDataSet* ds = DataSet();
    if (role != Qt::DisplayRole || !ds || !index.isValid()) return QVariant();
    return ToQString(ds->RecordText(index.row() + 1, index.column()));
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole) return QVariant();
    if (orientation == Qt::Vertical) return QVariant();
    return section >= 0 && section < headers_.size() ? headers_[section] : QVariant();
  }

  // Takes in the dataset's present shape: new rows are inserted, other changes reset the view.
  void Refresh() {
    TDataSet* ds = DataSet();
    QStringList headers;
    int rows = 0;
    if (ds && ds->Active()) {
      for (int i = 0; i < ds->FieldCount(); ++i) headers << ToQString(ToAnsi(ds->Fields(i).FieldName()));
      rows = ds->RecordCount();
    }
    if (headers == headers_ && rows > rows_ && rows_ > 0) {
      beginInsertRows(QModelIndex(), rows_, rows - 1);
      rows_ = rows;
      endInsertRows();
    } else if (headers != headers_ || rows != rows_) {
      beginResetModel();
      headers_ = headers;
      rows_ = rows;
      endResetModel();
    }
    if (rows_ > 0 && !headers_.isEmpty())
      emit dataChanged(index(0, 0), index(rows_ - 1, static_cast<int>(headers_.size()) - 1));
  }

 private:
  TDataSource* source_ = nullptr;
  QStringList headers_;
  int rows_ = 0;
};

namespace {

// Forgets the source when it is destroyed before the grid.
class SourceWatch : public TComponent {
 public:
  explicit SourceWatch(std::function<void()> gone) : TComponent(nullptr), gone_(std::move(gone)) {}

 protected:
  void Notification(TComponent*, TOperation operation) override {
    if (operation == TOperation::opRemove) gone_();
  }

 private:
  std::function<void()> gone_;
};

}  // namespace

TDBGrid::TDBGrid(QWidget* parent, const char* name) : QTableView(parent), model_(new DataSetTableModel(this)) {
  setObjectName(QString::fromLatin1(name));
  setModel(model_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  verticalHeader()->setFixedWidth(12);
  horizontalHeader()->setDefaultSectionSize(100);
}

TDBGrid::~TDBGrid() { SetDataSource(nullptr); }

void TDBGrid::SetDataSource(TDataSource* source) {
  if (dataSource_) {
    dataSource_->RemoveDataListener(this);
    watch_.reset();
  }
  dataSource_ = source;
  if (dataSource_) {
    watch_ = std::make_unique<SourceWatch>([this] {
      dataSource_ = nullptr;
      model_->SetSource(nullptr);
    });
    watch_->FreeNotification(dataSource_);
    // One listener among others: the application's OnDataChange stays as it is.
    dataSource_->AddDataListener(this, [this](TDataSource&, TDataEvent event, std::intptr_t) { SourceChanged(event); });
  }
  model_->SetSource(dataSource_);
  FollowDataSet();
}

void TDBGrid::SourceChanged(int) {
  model_->Refresh();
  FollowDataSet();
}

// Puts the grid's current line on the dataset's current record.
void TDBGrid::FollowDataSet() {
  TDataSet* ds = model_->DataSet();
  const int row = ds && ds->Active() ? ds->RecNo() - 1 : -1;
  if (row < 0 || row >= model_->rowCount()) return;
  if (currentIndex().row() == row) return;
  following_ = true;
  setCurrentIndex(model_->index(row, currentIndex().isValid() ? currentIndex().column() : 0));
  following_ = false;
}

void TDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  TDataSet* ds = model_->DataSet();
  if (following_ || !ds || !ds->Active() || !current.isValid() || current.row() == ds->RecNo() - 1) return;
  try {
    ds->SetRecNo(current.row() + 1);
  } catch (const Exception& error) {
    ShowMessage(error.Message());
    FollowDataSet();
  }
}

}  // namespace morvanta
