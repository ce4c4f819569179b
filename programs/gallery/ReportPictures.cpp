#include "programs/gallery/ReportPictures.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QToolTip>

#include <cstdio>

#include "morvanta/platform/ui/Application.h"
#include "programs/gallery/SampleWindows.h"
#include "morvanta/platform/ui/StringGrid.h"
#include "morvanta/windows/frmRecError.h"

using namespace morvanta;

namespace {

// The tooltip window the toolkit shows now, if any.
QWidget* ShownToolTip() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->isVisible() && widget->inherits("QTipLabel")) return widget;
  return nullptr;
}

// Shows `text` as the tooltip of `control` at `at` (in the control's coordinates) and pictures the
// window's client area with the tooltip over it, the picture grown where the tooltip goes beyond.
QPixmap PictureWithToolTip(TForm& form, QWidget& control, QPoint at, const QString& text) {
  QWidget& window = form.Window();
  QToolTip::showText(control.mapToGlobal(at), text, &control);
  Application().ProcessMessages();
  const QPixmap client = window.grab();
  QWidget* tip = ShownToolTip();
  if (!tip) return client;
  const QPoint tipAt = tip->pos() - window.mapToGlobal(QPoint(0, 0));
  const QRect whole = QRect(QPoint(0, 0), client.size()).united(QRect(tipAt, tip->size()));
  QPixmap picture(whole.size());
  picture.fill(QColor(0x80, 0x80, 0x80));
  QPainter painter(&picture);
  painter.drawPixmap(-whole.topLeft(), client);
  painter.drawPixmap(tipAt - whole.topLeft(), tip->grab());
  painter.end();
  QToolTip::hideText();
  return picture;
}

bool Write(const QPixmap& picture, const QString& folder, const char* file) {
  const bool saved = picture.save(QDir(folder).filePath(QString::fromLatin1(file)), "PNG");
  std::printf("%s: %dx%d with its tooltip%s\n", file, picture.width(), picture.height(), saved ? "" : " (not written)");
  std::fflush(stdout);
  return saved;
}

}  // namespace

bool SaveLongReportPictures(GallerySamples& samples, const QString& folder) {
  auto& report = static_cast<TfrmRecError&>(samples.LongReport());
  report.Show();
  Application().ProcessMessages();
  QLabel& name = *report.lblForm;
  bool ok = Write(PictureWithToolTip(report, name, QPoint(name.width() / 2, name.height()), name.toolTip()), folder,
                  "report-long-name.png");
  TStringGrid& grid = *report.GridParam;
  const QRect cell = grid.visualItemRect(grid.item(2, 1));
  ok &= Write(PictureWithToolTip(report, *grid.viewport(), cell.center(), grid.item(2, 1)->toolTip()), folder,
              "report-long-value.png");
  report.Window().hide();
  return ok;
}
