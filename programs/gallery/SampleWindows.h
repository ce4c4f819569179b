#pragma once
// The gallery's sample windows, each built on a real database and left shown (not modal), so that
// a picture of it can be taken.

#include <memory>

#include "morvanta/platform/ui/Form.h"
#include "tests/support/TestDatabase.h"

using namespace morvanta;

namespace morvanta {
class TMorvantaDatabase;
}  // namespace morvanta

struct GallerySamples {
  // An embedded database with the sample tables (1,000 numbered rows, orders, customers) and
  // three generators, one with "$" in its name; a connection on it.
  GallerySamples();
  ~GallerySamples();

  // The error report of a failed insert with three parameters.
  TForm& Report();
  // The error report of a failed insert on a form and unit with long names, whose blob
  // parameter holds a long text.
  TForm& LongReport();
  // The query list of a form with three datasets, the second picked.
  TForm& QueryList();
  // The data browser over the 1,000 rows.
  TForm& DataBrowser();
  // The generator picker on the database's generators.
  TForm& GeneratorPicker();

  std::unique_ptr<testdb::TestDatabase> Db;
  std::unique_ptr<TMorvantaDatabase> Connection;
  std::unique_ptr<TComponent> PedidoForm;  // the owner of the listed datasets
};
