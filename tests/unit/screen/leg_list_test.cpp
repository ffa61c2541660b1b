// Building the leg list from the airline rows.
#include <tuple>

#include "screen_fixture.h"
#include "toolkit/data/Abort.h"

namespace screen_test {
namespace {

using Strings = std::vector<std::string>;
// airline code, short code, flight, leg code, leg description
using AirlineRow = std::tuple<std::string, std::string, std::string, std::string, std::string>;

class LegList : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    f = &Bare();
  }
  void AirlineRows(const std::vector<AirlineRow>& rows) {
    // The answer's layout; the fields the list does not read stay empty.
    packet::DataPacket p;
    toolkit::ClientDataSet& d = *f->cdsCompanhia;
    for (int i = 0; i < d.FieldCount(); ++i) p.fields.push_back({d.Fields(i).FieldName(), packet::FieldType::String, 50});
    for (const auto& [cdcia, sgcia, nrvoo, cdtrecho, dstrecho] : rows) {
      packet::Row row(d.FieldCount(), packet::Value(""));
      row[f->cdsCompanhiaCDCIA->Index()] = packet::Value(cdcia);
      row[f->cdsCompanhiaSGCIA->Index()] = packet::Value(sgcia);
      row[f->cdsCompanhiaNRVOO->Index()] = packet::Value(nrvoo);
      row[f->cdsCompanhiaCDTRECHO->Index()] = packet::Value(cdtrecho);
      row[f->cdsCompanhiaDSTRECHO->Index()] = packet::Value(dstrecho);
      p.rows.push_back(std::move(row));
    }
    d.SetData(std::move(p));
  }
  void Header(const std::string& airline, const std::string& flight) {
    f->medSgCia->SetText(airline);
    f->medNrVoo->SetText(flight);
  }
  Strings ListRows() {
    Strings rows;
    for (f->cdsListaTrecho->First(); !f->cdsListaTrecho->Eof(); f->cdsListaTrecho->Next())
      rows.push_back(f->cdsListaTrechoCDTRECHO->AsString() + " " + f->cdsListaTrechoDSTRECHO->AsString());
    return rows;
  }
  std::string CurrentAirlineRow() {
    return f->cdsCompanhiaSGCIA->AsString() + "/" + f->cdsCompanhiaNRVOO->AsString() + "/" +
           f->cdsCompanhiaCDTRECHO->AsString();
  }
  TfrmPropPass* f = nullptr;

  const std::vector<AirlineRow> branch_{
      {"0101", "ASUL", "1110", "01", "GRU-GIG 11h20"}, {"0101", "ASUL", "1117", "01", "GRU-BSB 18h25"},
      {"0102", "CELT", "1117", "01", "GRU-POA 07h30"}, {"0101", "ASUL", "1117", "03", "MAO-BEL 07h30"},
      {"0101", "ASUL", "1117", "02", "BSB-MAO 22h40"}, {"0101", "ASUL", "1117", "02", "BSB-CNF 23h00"},
  };
};

TEST_F(LegList, NothingChangesBeforeAnyAirlineRow) {
  f->cbbTrecho->SetItems({"kept"});
  f->cbbTrecho->SetItemIndex(0);
  Header("ASUL", "1110");
  f->cbbTrecho->SetItems({"kept"});  // the flight's change cleared it
  f->cbbTrecho->SetItemIndex(0);
  f->Preenche_Listaa_Trecho();
  EXPECT_EQ(f->cbbTrecho->Items(), Strings{"kept"});
  EXPECT_EQ(f->cbbTrecho->ItemIndex(), 0);
  EXPECT_FALSE(f->cdsListaTrecho->Active());
}

TEST_F(LegList, OneRowAndOneItemPerAirlineRowInTheAnswersOrder) {
  AirlineRows(branch_);
  f->cdsCompanhia->MoveBy(4);  // CELT's row is not current, nor the first
  const std::string before = CurrentAirlineRow();
  Header("ASUL", "1117");
  f->Preenche_Listaa_Trecho();
  // Other flights and airlines are left out; repeated codes are not.
  EXPECT_EQ(f->cbbTrecho->Items(), (Strings{"GRU-BSB 18h25", "MAO-BEL 07h30", "BSB-MAO 22h40", "BSB-CNF 23h00"}));
  EXPECT_EQ(ListRows(), (Strings{"01 GRU-BSB 18h25", "03 MAO-BEL 07h30", "02 BSB-MAO 22h40", "02 BSB-CNF 23h00"}));
  EXPECT_EQ(f->cbbTrecho->ItemIndex(), 0);
  EXPECT_EQ(f->SelecionaTrecho(3, "COD"), "02");
  // The airline rows are whole again, on the row current before.
  EXPECT_FALSE(f->cdsCompanhia->Filtered());
  EXPECT_EQ(f->cdsCompanhia->Filter(), "");
  EXPECT_EQ(f->cdsCompanhia->RecordCount(), 6);
  EXPECT_EQ(CurrentAirlineRow(), before);
}

TEST_F(LegList, EachBuildReplacesTheLastOne) {
  AirlineRows(branch_);
  Header("ASUL", "1117");
  f->Preenche_Listaa_Trecho();
  Header("CELT", "1117");
  f->Preenche_Listaa_Trecho();
  EXPECT_EQ(f->cbbTrecho->Items(), Strings{"GRU-POA 07h30"});
  EXPECT_EQ(ListRows(), Strings{"01 GRU-POA 07h30"});
}

TEST_F(LegList, TypedTextsGoIntoTheFilterAsTheyAre) {
  AirlineRows(branch_);
  Header("ASUL", " 1110");  // a leading blank matches no stored flight
  f->Preenche_Listaa_Trecho();
  EXPECT_TRUE(f->cbbTrecho->Items().empty());
  EXPECT_EQ(f->cbbTrecho->ItemIndex(), -1);
  EXPECT_TRUE(f->cdsListaTrecho->Active());
  EXPECT_TRUE(f->cdsListaTrecho->IsEmpty());
  EXPECT_EQ(CurrentAirlineRow(), "ASUL/1110/01");
}

TEST_F(LegList, AQuoteIsRefusedWithTheListAndTheRowsLeftAsTheyWere) {
  AirlineRows(branch_);
  Header("ASUL", "1117");
  f->Preenche_Listaa_Trecho();
  f->cbbTrecho->SetItemIndex(2);
  f->cdsCompanhia->MoveBy(2);
  const std::string before = CurrentAirlineRow();
  // Set after the flight: its change would clear the offered legs.
  for (const auto& [airline, flight] : {std::pair{"AS'L", "1117"}, std::pair{"ASUL", "1'17"}}) {
    f->medSgCia->OnChange = nullptr;
    f->medNrVoo->OnChange = nullptr;
    Header(airline, flight);
    EXPECT_THROW(f->Preenche_Listaa_Trecho(), toolkit::EAbort) << airline << " " << flight;
    EXPECT_EQ(dialogs.TakeMessages(),
              Strings{"A sigla da companhia e o número do vôo não podem conter aspas simples ('): a lista de "
                      "trechos não pôde ser montada."});
    EXPECT_EQ(f->cbbTrecho->ItemCount(), 4);
    EXPECT_EQ(f->cbbTrecho->ItemIndex(), 2);
    EXPECT_EQ(f->cdsListaTrecho->RecordCount(), 4);
    EXPECT_FALSE(f->cdsCompanhia->Filtered());
    EXPECT_EQ(f->cdsCompanhia->Filter(), "");
    EXPECT_EQ(CurrentAirlineRow(), before);
  }
}

TEST_F(LegList, AnUnknownKindOfValidationIsAProgrammingError) {
  EXPECT_THROW(f->Vd_Companhia(true, "TRECHO"), std::invalid_argument);
}

}  // namespace
}  // namespace screen_test
