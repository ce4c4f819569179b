// consumer-window DATABASE PICTURE: opens the sample store's observations in the layer's data
// browser and saves a picture of the window. Exit code 0 when the grid shows every row.
#include <QAbstractItemModel>
#include <QApplication>
#include <QPixmap>
#include <QWidget>

#include <cstdio>

#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/core/Text.h"
#include "morvanta/platform/ui/Application.h"
#include "morvanta/platform/ui/DBGrid.h"
#include "morvanta/windows/DataBrowser.h"

using namespace morvanta;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: consumer-window DATABASE PICTURE\n", stderr);
    return 2;
  }
  int qtArgc = 1;
  Application().Initialize(qtArgc, argv);
  int result = 1;
  try {
    TMorvantaDatabase connection(nullptr);
    connection.ConfigureConnection("Firebird"_a, FromSystem(argv[1]), "SYSDBA"_a, "masterkey"_a);
    connection.SetConnected(true);
    TMorvantaDataset observations(nullptr);
    observations.SetDatabase(&connection);
    observations.SQL().Add("select lja_codigo, cpe_codigo, obs_temp from fatobservpedido order by 1, 2");
    observations.OpenQuery();

    TDataBrowser browser(observations);
    browser.Show();
    QApplication::processEvents();
    const int rows = browser.Grid->model()->rowCount();
    const bool saved = browser.Window().grab().save(QString::fromLocal8Bit(argv[2]));
    std::printf("consumer-window: %d rows in the browser; picture %s\n", rows, saved ? "saved" : "not saved");
    result = saved && rows == observations.RecordCount() ? 0 : 1;
  } catch (const Exception& error) {
    std::fprintf(stderr, "consumer-window: %s: %s\n", error.ClassName(), ToSystem(error.Message()).c_str());
  }
  Application().Terminate();
  return result;
}
