// morvanta-gallery OUTDIR: writes report.png, query-list.png, data-browser.png and
// generator-picker.png, each the client area of one diagnostic window with sample content, and
// loja-pedidos.png and inspector.png, the sample application's window and the inspector on its form.

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>

#include "morvanta/platform/ui/Application.h"
#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/windows/GraphicalDiagnostics.h"
#include "morvanta/platform/framework/Runtime.h"
#include "programs/gallery/FormWindows.h"
#include "programs/gallery/ReportPictures.h"
#include "programs/gallery/SampleWindows.h"
#include "morvanta/platform/core/StopSignals.h"
#include "morvanta/diagnostics/DiagnosticMode.h"
#include "morvanta/windows/FGenerator.h"

using namespace morvanta;

namespace {

bool Save(TForm& form, const QString& folder, const char* file) {
  form.Show();
  Application().ProcessMessages();
  const QPixmap picture = form.Window().grab();
  const QString path = QDir(folder).filePath(QString::fromLatin1(file));
  const bool saved = picture.save(path, "PNG");
  const QSize outer = form.Window().frameGeometry().size();
  std::printf("%s: client area %dx%d, outer size %dx%d%s\n", file, picture.width(), picture.height(), outer.width(),
              outer.height(), saved ? "" : " (not written)");
  std::fflush(stdout);
  form.Window().hide();
  return saved;
}

// Makes the output folder and the missing folders above it, and says which it made.
bool MakeFolder(const QString& folder) {
  QStringList missing;
  for (QDir dir(QDir::cleanPath(QDir(folder).absolutePath())); !dir.exists(); dir.setPath(QFileInfo(dir.path()).path()))
    missing.prepend(dir.path());
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "morvanta-gallery: the folder %s cannot be made\n", folder.toLocal8Bit().constData());
    return false;
  }
  for (const QString& made : missing) std::printf("created folder %s\n", made.toLocal8Bit().constData());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const StopSignals stop;  // Ctrl+C or SIGTERM ends it at once; its sample databases are scratch
  if (argc != 2) {
    std::fprintf(stderr, "usage: morvanta-gallery OUTDIR\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const QString folder = QString::fromLocal8Bit(argv[1]);
  if (!MakeFolder(folder)) return 1;
  int qtArgc = 1;
  Application().Initialize(qtArgc, argv);
  const GraphicalDiagnostics diagnostics;
  // Diagnostic mode: the datasets trace their statements, which the windows show.
  SetCommandLine(std::vector<AnsiString>{"morvanta-gallery"_a, "-Q"_a});
  SetSQLTraceFileName(FromSystem(QDir(folder).filePath(QStringLiteral("qry.sql")).toStdString()));
  bool ok = true;
  try {
    GallerySamples samples;
    ok &= Save(samples.Report(), folder, "report.png");
    ok &= SaveLongReportPictures(samples, folder);
    ok &= Save(samples.QueryList(), folder, "query-list.png");
    ok &= Save(samples.DataBrowser(), folder, "data-browser.png");
    auto& picker = static_cast<TFGenerator&>(samples.GeneratorPicker());
    picker.OnShow = [&picker](TForm&) {
      picker.FormShow();
      picker.cbGenerator->setCurrentIndex(1);
      picker.cbOnField->setEditText(QStringLiteral("PED_CODIGO"));
    };
    ok &= Save(picker, folder, "generator-picker.png");
    GalleryForms forms;
    ok &= Save(forms.LojaPedidos(), folder, "loja-pedidos.png");
    ok &= Save(forms.Inspector(), folder, "inspector.png");
  } catch (const Exception& error) {
    std::fprintf(stderr, "%s\n", ToSystem(error.Message()).c_str());
    ok = false;
  }
  Application().Terminate();
  return ok ? 0 : 1;
}
