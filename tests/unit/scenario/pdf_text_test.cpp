// The text of a rendered report as the PDF checks compare it.
#include <gtest/gtest.h>

#include "scenario/PdfText.h"

TEST(PdfText, BlanksAndLineBreaksCollapseToOneSpace) {
  EXPECT_EQ(scenario::CollapseBlanks("  Pax.\n\nMínimo \t 1\n\n20  "), "Pax. Mínimo 1 20");
  EXPECT_EQ(scenario::CollapseBlanks("\n \n"), "");
}
