#pragma once
// A small form for control tests: a header panel with two entries, a data
// panel holding a scroll box with a grid and an entry, a command button.
// Every enter and exit is written to a log.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../toolkit/event_log.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/Button.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Form.h"
#include "toolkit/controls/RecordingDialogs.h"

namespace testutil {

class FormTest : public ::testing::Test {
 protected:
  toolkit::RecordingDialogs dialogs;
  toolkit::Form* form = nullptr;
  toolkit::Panel* panHeader = nullptr;
  toolkit::MaskEdit* edtA = nullptr;
  toolkit::Edit* edtB = nullptr;
  toolkit::Panel* panData = nullptr;
  toolkit::ScrollBox* scbData = nullptr;
  toolkit::DBGrid* grid = nullptr;
  toolkit::Edit* edtC = nullptr;
  toolkit::Button* btnGo = nullptr;
  toolkit::ClientDataSet* cds = nullptr;
  toolkit::DataSource* dts = nullptr;
  std::vector<std::string> log;

  void SetUp() override {
    auto& app = toolkit::Application::Instance();
    app.Reset();
    app.SetDialogs(&dialogs);
    form = &app.CreateForm<toolkit::Form>();
    form->SetName("frmTest");
    form->SetFormStyle(toolkit::FormStyle::fsMDIChild);
    panHeader = Make<toolkit::Panel>("panHeader", form);
    edtA = Make<toolkit::MaskEdit>("edtA", panHeader);
    edtB = Make<toolkit::Edit>("edtB", panHeader);
    panData = Make<toolkit::Panel>("panData", form);
    scbData = Make<toolkit::ScrollBox>("scbData", panData);
    grid = Make<toolkit::DBGrid>("grid", scbData);
    edtC = Make<toolkit::Edit>("edtC", scbData);
    btnGo = Make<toolkit::Button>("btnGo", form);
    cds = new toolkit::ClientDataSet(form);
    cds->SetName("cds");
    DefineRangeFields(*cds);
    cds->FieldByName("CDSERVICO").SetVisible(false);
    cds->SetData(ThreeRanges());
    dts = new toolkit::DataSource(form);
    dts->SetDataSet(cds);
    grid->SetDataSource(dts);
    for (toolkit::Control* c : {static_cast<toolkit::Control*>(panHeader), static_cast<toolkit::Control*>(edtA),
                                static_cast<toolkit::Control*>(edtB), static_cast<toolkit::Control*>(panData),
                                static_cast<toolkit::Control*>(scbData), static_cast<toolkit::Control*>(grid),
                                static_cast<toolkit::Control*>(edtC)}) {
      c->OnEnter = [this](toolkit::Control& s) { log.push_back("enter " + s.Name()); };
      c->OnExit = [this](toolkit::Control& s) { log.push_back("exit " + s.Name()); };
    }
  }

  void TearDown() override { toolkit::Application::Instance().Reset(); }

  template <class T>
  T* Make(const char* name, toolkit::Container* parent) {
    auto* c = new T(form);
    c->SetName(name);
    c->SetParent(parent);
    return c;
  }

  // The log so far, joined by ", ", and cleared.
  std::string Take() {
    std::string out;
    for (const auto& e : log) out += (out.empty() ? "" : ", ") + e;
    log.clear();
    return out;
  }
};

}  // namespace testutil
