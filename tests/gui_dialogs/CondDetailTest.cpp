// The conduit detail dialog on its own: which choice it offers for an action, what OK writes,
// what Cancel and the title field leave alone.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "src/core/palm/CondMgr.h"
#include "src/qt/CondDetail.h"
#include "tests/support/ModalDriver.h"

namespace {

using dialogtest::Child;
using dialogtest::WithModal;

constexpr const char* kRadios[] = {"rbtnSync", "rbtnPC2HH", "rbtnHH2PC", "rbtnNothing"};

CONDUIT_REC MakeRecord(std::uint32_t dwAction, std::uint32_t dwKind = COND_KIND_REGISTERED) {
  CONDUIT_REC rec;
  std::memset(&rec, 0, sizeof rec);
  std::strcpy(rec.szTitle, "Address Book");
  std::strcpy(rec.szCreator, "addr");
  rec.dwKind = dwKind;
  rec.dwAction = dwAction;
  return rec;
}

// The objectName of the one checked radio button; "" when none is, "several" when more are.
std::string CheckedRadio(QWidget* pDialog) {
  std::string checked;
  for (const char* name : kRadios) {
    if (Child<QRadioButton>(pDialog, name)->isChecked()) checked = checked.empty() ? name : "several";
  }
  return checked;
}

void Choose(QWidget* pDialog, const char* radio) {
  QTest::mouseClick(Child<QRadioButton>(pDialog, radio), Qt::LeftButton);
}

void Press(QWidget* pDialog, const char* button) {
  QTest::mouseClick(Child<QPushButton>(pDialog, button), Qt::LeftButton);
}

TEST(CondDetail, FormStartsWithoutRecordOrChoiceAndOkKeepsItOpen) {
  TfmCondDetail dlg;
  EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Orvane Conduit Detail Information"));
  EXPECT_EQ(dlg.size(), QSize(368, 288));
  EXPECT_EQ(dlg.GetData(), nullptr);
  EXPECT_EQ(CheckedRadio(&dlg), "");
  EXPECT_FALSE(dlg.TransferData(false));
  EXPECT_FALSE(dlg.TransferData(true));

  dlg.show();
  Choose(&dlg, "rbtnPC2HH");
  Press(&dlg, "btnOK");
  EXPECT_TRUE(dlg.isVisible()) << "OK without a record must not close the dialog";
  EXPECT_NE(dlg.result(), QDialog::Accepted);
}

TEST(CondDetail, OpensOnTheChoiceOfTheAction) {
  const struct {
    std::uint32_t dwAction;
    const char* radio;
  } cases[] = {
      {1, "rbtnSync"},           {2, "rbtnPC2HH"},           {4, "rbtnHH2PC"},
      {8, "rbtnNothing"},        {0x10004, "rbtnNothing"},   {0x10002, "rbtnNothing"},
      {0x10000, "rbtnNothing"},  {0xFFFF0001, "rbtnNothing"},
      // Actions that name none of the four are treated as synchronize.
      {0, "rbtnSync"},           {3, "rbtnSync"},            {0xFFFF, "rbtnSync"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "action 0x" << std::hex << c.dwAction);
    CONDUIT_REC rec = MakeRecord(c.dwAction);
    TfmCondDetail dlg;
    dlg.SetData(&rec);
    EXPECT_EQ(dlg.GetData(), &rec);
    EXPECT_EQ(CheckedRadio(&dlg), c.radio);
    EXPECT_EQ(Child<QLineEdit>(&dlg, "edtName")->text(), QStringLiteral("Address Book"));
    EXPECT_EQ(rec.dwAction, c.dwAction) << "opening changes nothing";
  }
}

TEST(CondDetail, OkWritesTheChosenActionForEveryKindOfConduit) {
  const struct {
    std::uint32_t dwAction;
    const char* choose;  // nullptr: confirm what the dialog opened on
    std::uint32_t dwExpected;
  } cases[] = {
      {0x10004, nullptr, 0x10004},        // switched off stays off with its earlier action
      {4, "rbtnNothing", 0x10004},        // switching off keeps the low 16 bits
      {8, nullptr, 0x10008},
      {0x10004, "rbtnSync", 1},
      {0x10002, "rbtnHH2PC", 4},
      {1, "rbtnPC2HH", 2},
      {2, "rbtnHH2PC", 4},
      {4, "rbtnSync", 1},
  };
  // Install conduits and the backup conduit are offered all four choices here.
  for (std::uint32_t dwKind : {COND_KIND_REGISTERED, COND_KIND_INSTALL, COND_KIND_BACKUP}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << "kind " << dwKind << ", action 0x" << std::hex << c.dwAction
                                      << ", choice " << (c.choose ? c.choose : "(as opened)"));
      CONDUIT_REC rec = MakeRecord(c.dwAction, dwKind);
      TfmCondDetail dlg;
      dlg.SetData(&rec);
      dlg.show();
      for (const char* name : kRadios) {
        QRadioButton* p = Child<QRadioButton>(&dlg, name);
        EXPECT_TRUE(p->isVisible() && p->isEnabled()) << name;
      }
      if (c.choose) Choose(&dlg, c.choose);
      Press(&dlg, "btnOK");
      EXPECT_EQ(dlg.result(), QDialog::Accepted);
      EXPECT_FALSE(dlg.isVisible());
      EXPECT_EQ(rec.dwAction, c.dwExpected);
    }
  }
}

TEST(CondDetail, CancelAfterAChangeLeavesTheRecord) {
  CONDUIT_REC rec = MakeRecord(4);
  TfmCondDetail dlg;
  dlg.SetData(&rec);
  int nResult = -1;
  EXPECT_TRUE(WithModal([&] { nResult = dlg.exec(); },
                        [](QDialog* p) {
                          Choose(p, "rbtnNothing");
                          Press(p, "btnCancel");
                        }));
  EXPECT_EQ(nResult, QDialog::Rejected);
  EXPECT_EQ(rec.dwAction, 4u);
}

TEST(CondDetail, AnEditedTitleIsNotTaken) {
  CONDUIT_REC rec = MakeRecord(0x10008);
  TfmCondDetail dlg;
  dlg.SetData(&rec);
  int nResult = -1;
  EXPECT_TRUE(WithModal([&] { nResult = dlg.exec(); },
                        [](QDialog* p) {
                          QLineEdit* pName = Child<QLineEdit>(p, "edtName");
                          pName->selectAll();
                          QTest::keyClicks(pName, "Renamed");
                          Choose(p, "rbtnPC2HH");
                          Press(p, "btnOK");
                        }));
  EXPECT_EQ(nResult, QDialog::Accepted);
  EXPECT_EQ(rec.dwAction, 2u);
  EXPECT_STREQ(rec.szTitle, "Address Book");
}

TEST(CondDetailDeathTest, SetDataWithoutRecordIsAFatalAssertion) {
  EXPECT_EXIT(
      {
        TfmCondDetail dlg;
        dlg.SetData(nullptr);
      },
      testing::ExitedWithCode(3), "Assertion failed: pData!=NULL, file src\\\\CondDetail, line [0-9]+");
}

}  // namespace
