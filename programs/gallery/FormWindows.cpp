#include "programs/gallery/FormWindows.h"

#include <QListWidget>
#include <QProcess>

#include <string>

#include "morvanta/platform/ui/Application.h"
#include "morvanta/components/published/ComponentClasses.h"
#include "morvanta/platform/core/Exceptions.h"
#include "programs/inspector/InspectorWindow.h"
#include "samples/loja-pedidos/LojaPedidosWindow.h"
#include "morvanta/components/MorvantaDataset.h"

using namespace morvanta;

namespace {

std::string SamplePath(const char* file) { return std::string(MORVANTA_SOURCE_DIR) + "/samples/loja-pedidos/" + file; }

}  // namespace

GalleryForms::GalleryForms()
    : Db(testdb::TestDatabase::Embedded({.charSet = "WIN1252"_a})), Classes(StandardClasses()) {
  QProcess isql;
  isql.start(QStringLiteral("isql-fb"), {"-q", "-ch", "UTF8", "-user", "SYSDBA", QString::fromStdString(Db->FilePath()),
                                         "-i", QString::fromStdString(SamplePath("loja-pedidos.sql"))});
  if (!isql.waitForFinished(60000) || isql.exitCode() != 0)
    throw Exception("isql-fb: " + FromSystem(isql.readAllStandardError().toStdString()));
}

GalleryForms::~GalleryForms() { Application().FreeForms(); }

TForm& GalleryForms::LojaPedidos() {
  auto* window = new TfrmLojaPedidos(&Application(), SamplePath("loja-pedidos.form.json"),
                                     LojaConnection{Db->Database(), Db->UserName(), Db->Password()});
  window->Pedidos().Next();  // the second order, which has an observation too
  return *window;
}

TForm& GalleryForms::Inspector() {
  Form = TStoredForm::LoadFromFile(SamplePath("loja-pedidos.form.json"), Classes);
  Form->SetFormState(FormState::Designing);
  auto* window = new TfrmInspector(&Application(), *Form, "loja-pedidos.form.json");
  window->lstComponentes->setCurrentRow(4);  // qryPedidos
  return *window;
}
