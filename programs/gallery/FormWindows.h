#pragma once
// The gallery's windows on the sample application's form: the store-orders window on an embedded
// database made from the sample script, and the inspector with the form open and a dataset
// selected.

#include <memory>

#include "morvanta/platform/ui/Form.h"
#include "morvanta/platform/formfiles/StoredForm.h"
#include "tests/support/TestDatabase.h"

using namespace morvanta;

struct GalleryForms {
  GalleryForms();  // the database from samples/loja-pedidos/loja-pedidos.sql (isql-fb)
  ~GalleryForms();

  TForm& LojaPedidos();
  TForm& Inspector();

  std::unique_ptr<testdb::TestDatabase> Db;
  ClassRegistry Classes;
  std::unique_ptr<TStoredForm> Form;  // the inspector's
};
