// TDataSource: presents a dataset to others and passes its data events on.

#include <algorithm>

#include "DataSet.h"

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
  OnDataChange = nullptr;  // a source that goes tells nobody
  SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
  if (dataSet == dataSet_) return;
  if (dataSet_) {
    auto& sources = dataSet_->dataSources_;
    sources.erase(std::remove(sources.begin(), sources.end(), this), sources.end());
    RemoveFreeNotification(dataSet_);
  }
  dataSet_ = dataSet;
  linked_ = dataSet;
  if (dataSet_) {
    dataSet_->dataSources_.push_back(this);
    FreeNotification(dataSet_);
  }
  // Controls on the source show another dataset now.
  if (OnDataChange) OnDataChange(*this, deLayoutChange, 0);
}

void TDataSource::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  // The dataset is being destroyed: only the pointer is compared, the object is not touched.
  if (operation == TOperation::opRemove && component == linked_) {
    dataSet_ = nullptr;
    linked_ = nullptr;
  }
}
