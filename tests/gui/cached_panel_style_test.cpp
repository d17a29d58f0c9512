// SPDX-License-Identifier: MIT
#include "ui/cached_panel_style.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QVBoxLayout>
#include <functional>
#include <memory>

#include "console/page_widgets.h"
#include "ui/led_indicator.h"

namespace qvm::test {
namespace {

// A value box in a frame, as the status pages hold them, or a plain line edit set up alike.
struct FramedBox {
  explicit FramedBox(bool plain) {
    auto* layout = new QVBoxLayout(&frame);
    box = MakeValueBox(&frame, "tbValue");
    if (plain) {
      delete box;
      box = new QLineEdit(&frame);
      box->setReadOnly(true);
      box->setAlignment(Qt::AlignRight);
      box->setFixedWidth(64);
    }
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

// The value box, which draws what lies under it itself and its panel from a picture, looks as a
// plain line edit does, in each state a value box shows and after its frame changed, also once
// the pictures are reused after the text changed.
TEST(CachedPanelStyle, DrawsWhatTheStyleDraws) {
  struct Case {
    const char* name;
    std::function<void(FramedBox&)> state;
  };
  const Case cases[] = {
      {"a reading", [](FramedBox&) {}},
      {"stale, in grey",
       [](FramedBox& framed) {
         QPalette grey = framed.box->palette();
         grey.setColor(QPalette::Text, QColor(0x7F, 0x7F, 0x7F));
         framed.box->setPalette(grey);
       }},
      {"disabled", [](FramedBox& framed) { framed.box->setEnabled(false); }},
      {"focused", [](FramedBox& framed) { framed.box->setFocus(); }},
      {"another title", [](FramedBox& framed) { framed.frame.setTitle("Temperatures"); }},
      {"a disabled frame", [](FramedBox& framed) { framed.frame.setEnabled(false); }},
      {"resized", [](FramedBox& framed) { framed.frame.resize(150, 90); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FramedBox styled(true);
    c.state(styled);
    const QImage expected = styled.Picture();
    CachedPanelStyle panels;
    FramedBox cached(false);
    cached.box->setStyle(&panels);
    cached.Picture();
    c.state(cached);
    cached.Picture();
    cached.box->setText("3.7135");
    cached.Picture();
    cached.box->setText("3.7134");
    EXPECT_EQ(cached.Picture(), expected);
  }
}

// An indicator paints what its frame draws under it: its corners look as the frame without it
// does, and its middle shows its colour, also when a colour comes back. In a group box it is
// opaque and draws the group itself; elsewhere the window draws under it.
TEST(LedIndicator, PaintsTheFrameUnderIt) {
  for (const bool inGroup : {true, false}) {
    SCOPED_TRACE(inGroup ? "in a group box" : "on a plain widget");
    std::unique_ptr<QWidget> frame =
        inGroup ? std::make_unique<QGroupBox>("Link") : std::make_unique<QWidget>();
    auto* led = new LedIndicator(frame.get());
    EXPECT_EQ(led->testAttribute(Qt::WA_OpaquePaintEvent), inGroup);
    led->move(30, 30);
    frame->resize(120, 80);
    frame->show();
    const QRect at = led->geometry();
    for (Colour colour : {Colour::Green, Colour::Red, Colour::Green}) {
      led->SetColour(colour);
      QCoreApplication::processEvents();
      const QImage shown = frame->grab().toImage();
      EXPECT_EQ(shown.pixelColor(at.center()), LedColour(colour));
      led->hide();
      const QImage under = frame->grab().toImage();
      led->show();
      for (QPoint corner : {at.topLeft(), at.topRight(), at.bottomLeft(), at.bottomRight()}) {
        EXPECT_EQ(shown.pixel(corner), under.pixel(corner));
      }
    }
  }
}

}  // namespace
}  // namespace qvm::test
