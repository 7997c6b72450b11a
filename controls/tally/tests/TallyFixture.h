#pragma once
// A calculator control of 200 x 180 pixels in a host widget with a known font.

#include "CcvTallyCtrl.h"
#include "TallyTestInput.h"

#include <gtest/gtest.h>

#include <string>

namespace tallytest {

inline std::string shown(const CcvTallyCtrl &w)
{
    return w.engine().shownText();
}

inline QWidget &host()
{
    static QWidget *h = [] {
        auto *w = new QWidget;
        w->setFont(QFont(QStringLiteral("DejaVu Sans"), 11));
        return w;
    }();
    return *h;
}

struct Fixture : ::testing::Test {
    CcvTallyCtrl w{&host()};
    void SetUp() override { w.resize(200, 180); }
};

} // namespace tallytest
