#pragma once
// The report window with texts too long for its places: an elided form and unit name with the
// form name's tooltip shown, and a long blob value with its tooltip shown over the grid.

#include <QString>

struct GallerySamples;

// Writes report-long-name.png and report-long-value.png into `folder`; false when one was not
// written. Each picture is the report's client area with the tooltip drawn where it shows.
bool SaveLongReportPictures(GallerySamples& samples, const QString& folder);
