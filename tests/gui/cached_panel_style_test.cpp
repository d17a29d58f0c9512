// SPDX-License-Identifier: MIT
#include "ui/cached_panel_style.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QVBoxLayout>
#include <functional>

#include "console/page_widgets.h"

namespace qvm::test {
namespace {

// A value box in a frame, as the status pages hold them.
struct FramedBox {
  FramedBox() {
    auto* layout = new QVBoxLayout(&frame);
    box = MakeValueBox(&frame, "tbValue");
    layout->addWidget(box);
    box->setText("3.7134");
    frame.resize(120, 80);
    frame.show();
  }
  QImage Picture() {
    QCoreApplication::processEvents();
    return frame.grab().toImage();
  }

  QGroupBox frame{"Device Status"};
  QLineEdit* box;
};

// The frame drawn from the picture looks as the style draws it, in each state a value box shows,
// also once the picture is reused after the text changed.
TEST(CachedPanelStyle, DrawsWhatTheStyleDraws) {
  struct Case {
    const char* name;
    std::function<void(QLineEdit&)> state;
  };
  const Case cases[] = {
      {"a reading", [](QLineEdit&) {}},
      {"stale, in grey",
       [](QLineEdit& box) {
         QPalette grey = box.palette();
         grey.setColor(QPalette::Text, QColor(0x7F, 0x7F, 0x7F));
         box.setPalette(grey);
       }},
      {"disabled", [](QLineEdit& box) { box.setEnabled(false); }},
      {"focused", [](QLineEdit& box) { box.setFocus(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FramedBox styled;
    c.state(*styled.box);
    const QImage expected = styled.Picture();
    CachedPanelStyle panels;
    FramedBox cached;
    cached.box->setStyle(&panels);
    c.state(*cached.box);
    cached.Picture();
    cached.box->setText("3.7135");
    cached.Picture();
    cached.box->setText("3.7134");
    EXPECT_EQ(cached.Picture(), expected);
  }
}

}  // namespace
}  // namespace qvm::test
