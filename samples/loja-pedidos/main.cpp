// loja-pedidos [-Q] DATABASE [USER]: the store-orders sample application. Opens the window of
// samples/loja-pedidos/loja-pedidos.form.json (copied next to the program) on DATABASE, which
// replaces the database of the form's connections. The password, when the database needs one,
// comes from ISC_PASSWORD. "-Q" first turns on diagnostic mode: statements are traced and
// Ctrl+Shift+E shows the window's query list.

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "morvanta/platform/ui/Application.h"
#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/windows/GraphicalDiagnostics.h"
#include "samples/loja-pedidos/LojaPedidosWindow.h"
#include "morvanta/platform/framework/Runtime.h"
#include "morvanta/platform/core/StopSignals.h"
#include "morvanta/platform/framework/UserInteraction.h"

using namespace morvanta;

int main(int argc, char** argv) {
  // Ctrl+C or SIGTERM ends the program at once, as any window program without a handler ends:
  // the window commits each change as it is made, and a change still open rolls back.
  const StopSignals stop;
  SetCommandLine(argc, argv);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (!arguments.empty() && arguments.front() == "-Q") arguments.erase(arguments.begin());
  if (arguments.empty() || arguments.size() > 2) {
    std::fputs("usage: loja-pedidos [-Q] DATABASE [USER]\n", stderr);
    return 2;
  }
  int qtArgc = 1;
  Application().Initialize(qtArgc, argv);
  Application().SetTitle(FromSystem("Pedidos da loja"));
  const GraphicalDiagnostics diagnostics;
  int result = 0;
  try {
    LojaConnection connection;
    connection.database = FromSystem(arguments[0]);
    if (arguments.size() > 1) connection.userName = FromSystem(arguments[1]);
    if (const char* password = std::getenv("ISC_PASSWORD")) connection.password = FromSystem(password);
    const std::string formFile =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("loja-pedidos.form.json")).toStdString();
    auto* window = new TfrmLojaPedidos(&Application(), formFile, connection);
    window->Show();
    result = QApplication::exec();
  } catch (const EAbort&) {
    result = 1;  // the window's open was ended after its own message
  } catch (const Exception& error) {
    ShowMessage(error.Message());
    result = 1;
  }
  Application().Terminate();
  return result;
}
