// Translating between positions of the leg list and legs.
#include "screen_fixture.h"

namespace screen_test {
namespace {

class LegLookups : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    f = &Bare();
  }
  void Legs(const std::vector<std::pair<std::string, std::string>>& legs) {
    packet::DataPacket p;
    p.fields = {{"CDTRECHO", packet::FieldType::String, 4}, {"DSTRECHO", packet::FieldType::String, 13}};
    for (const auto& [code, text] : legs) p.rows.push_back({packet::Value(code), packet::Value(text)});
    f->cdsListaTrecho->SetData(std::move(p));
  }
  TfrmPropPass* f = nullptr;
};

TEST_F(LegLookups, BeforeAnyListIsBuilt) {
  EXPECT_EQ(f->SelecionaTrecho(0, "COD"), "");
  EXPECT_EQ(f->SelecionaTrecho(-1, "DES"), "");
  EXPECT_EQ(f->RetornaIndiceTrecho("CDTRECHO", "01"), -1);
  f->cdsListaTrecho->CreateDataSet();  // open and empty
  EXPECT_EQ(f->SelecionaTrecho(0, "COD"), "");
  EXPECT_EQ(f->RetornaIndiceTrecho("CDTRECHO", "01"), -1);
}

TEST_F(LegLookups, LegAtAPosition) {
  Legs({{"01", "GRU-GIG 11h20"}, {"02", "GIG-SSA 15h35"}, {"03", "SSA-REC 19h00"}});
  EXPECT_EQ(f->SelecionaTrecho(2, "COD"), "03");
  EXPECT_EQ(f->SelecionaTrecho(2, "DES"), "SSA-REC 19h00");
  EXPECT_EQ(f->SelecionaTrecho(1, "COD"), "02");
  // No selection (-1) gives the first leg; past the end, the last.
  EXPECT_EQ(f->SelecionaTrecho(-1, "COD"), "01");
  EXPECT_EQ(f->SelecionaTrecho(0, "DES"), "GRU-GIG 11h20");
  EXPECT_EQ(f->SelecionaTrecho(7, "DES"), "SSA-REC 19h00");
  // Selectors are exact.
  EXPECT_EQ(f->SelecionaTrecho(1, "XYZ"), "");
  EXPECT_EQ(f->SelecionaTrecho(1, "cod"), "");
  // Each call starts from the first row, wherever the cursor was left.
  f->cdsListaTrecho->Last();
  EXPECT_EQ(f->SelecionaTrecho(1, "COD"), "02");
}

TEST_F(LegLookups, PositionOfALeg) {
  Legs({{"01", "GRU-GIG 11h20"}, {"02", "GIG-SSA 15h35"}, {"01", "SSA-REC 19h00"}});
  EXPECT_EQ(f->RetornaIndiceTrecho("CDTRECHO", "01"), 0);  // the first of two
  EXPECT_EQ(f->RetornaIndiceTrecho("CDTRECHO", "02"), 1);
  EXPECT_EQ(f->RetornaIndiceTrecho("DSTRECHO", "SSA-REC 19h00"), 2);
  EXPECT_EQ(f->RetornaIndiceTrecho("CDTRECHO", "03"), -1);
  EXPECT_EQ(f->RetornaIndiceTrecho("DSTRECHO", "ssa-rec 19h00"), -1);  // case counts
  f->cdsListaTrecho->Last();
  EXPECT_EQ(f->RetornaIndiceTrecho("CDTRECHO", "02"), 1);  // searched from the first row
}

TEST_F(LegLookups, TheListOutlivesAClearedCombo) {
  Legs({{"04", "BSB-MAO 22h40"}, {"05", "MAO-BEL 06h10"}});
  f->cbbTrecho->SetItems({"BSB-MAO 22h40", "MAO-BEL 06h10"});
  f->cbbTrecho->SetItemIndex(1);
  EXPECT_EQ(f->SelecionaTrecho(f->cbbTrecho->ItemIndex(), "COD"), "05");
  f->cbbTrecho->Clear();
  EXPECT_EQ(f->SelecionaTrecho(f->cbbTrecho->ItemIndex(), "COD"), "04");
}

}  // namespace
}  // namespace screen_test
