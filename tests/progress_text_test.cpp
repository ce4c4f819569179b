// The progress line's text, with and without the total of selected rows.

#include <gtest/gtest.h>

#include "programs/obsmerge/ProgressLine.h"

TEST(ProgressText, ShowsTheRowsTheRateAndWithATotalTheTimeLeft) {
  EXPECT_EQ(ProgressText(120, std::nullopt, 2.0), "120 linhas mescladas, 60 linhas/s");
  EXPECT_EQ(ProgressText(120, 1500, 2.0), "120 de 1500 linhas mescladas, 60 linhas/s, faltam 0:23");
  EXPECT_EQ(ProgressText(10, 100000, 1.0), "10 de 100000 linhas mescladas, 10 linhas/s, faltam 2h46");
  // Rows added since the count make the total grow rather than the time go negative.
  EXPECT_EQ(ProgressText(200, 150, 1.0), "200 de 200 linhas mescladas, 200 linhas/s, faltam 0:00");
  EXPECT_EQ(ProgressText(0, 150, 0.0), "0 de 150 linhas mescladas, 0 linhas/s, faltam ?");
}
