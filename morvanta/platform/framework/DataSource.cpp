// TDataSource: presents a dataset to others and passes its data events on, to the application's
// OnDataChange and to every control listening on the source.

#include <algorithm>

#include "morvanta/platform/framework/DataSet.h"

namespace morvanta {

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
  // A source that goes tells nobody.
  OnDataChange = nullptr;
  listeners_.clear();
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
  DataChanged(deLayoutChange, 0);
}

void TDataSource::AddDataListener(const void* key, DataChangeHandler handler) {
  auto handle = std::make_shared<DataChangeHandler>(std::move(handler));
  for (Listener& listener : listeners_)
    if (listener.key == key) {
      listener.handler = std::move(handle);
      return;
    }
  listeners_.push_back({key, std::move(handle)});
}

void TDataSource::RemoveDataListener(const void* key) {
  listeners_.erase(
      std::remove_if(listeners_.begin(), listeners_.end(), [key](const Listener& l) { return l.key == key; }),
      listeners_.end());
}

bool TDataSource::HasDataListener(const void* key) const {
  return std::any_of(listeners_.begin(), listeners_.end(), [key](const Listener& l) { return l.key == key; });
}

void TDataSource::DataChanged(TDataEvent event, std::intptr_t info) {
  if (OnDataChange) OnDataChange(*this, event, info);
  // On a copy: a listener may remove itself or others while it is told; one removed before its
  // turn is not told.
  const std::vector<Listener> told = listeners_;
  for (const Listener& listener : told)
    if (HasDataListener(listener.key) && *listener.handler) (*listener.handler)(*this, event, info);
}

void TDataSource::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  // The dataset is being destroyed: only the pointer is compared, the object is not touched.
  if (operation == TOperation::opRemove && component == linked_) {
    dataSet_ = nullptr;
    linked_ = nullptr;
  }
}

}  // namespace morvanta
