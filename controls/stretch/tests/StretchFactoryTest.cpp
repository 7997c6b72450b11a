// The stretch container as a host sees it: created by class identifier from its own
// shared library, driven through its properties, methods and signals only.
#include "ControlFactory.h"

#include <QApplication>
#include <QLabel>
#include <QMetaObject>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(StretchFactoryTest, HostCreatesAndDrivesTheControlByClassId)
{
    qputenv("GW_CONTROL_PATH", QByteArray(GW_STRETCH_LIBRARY_DIR));
    gw::ControlFactory::rescan();
    EXPECT_TRUE(gw::ControlFactory::classIds().contains(QStringLiteral("cvStretch.cvStretchCtrl.1")));
    EXPECT_TRUE(gw::ControlFactory::libraryFor(QStringLiteral("cvStretch.cvStretchCtrl.1"))
                    .endsWith(QStringLiteral("libcvstretch.so")));

    QWidget form;
    form.resize(400, 300);
    QString error;
    QWidget* ctrl = gw::ControlFactory::create(QStringLiteral("cvStretch.cvStretchCtrl.1"), &form,
                                               &error);
    ASSERT_NE(ctrl, nullptr) << error.toStdString();
    EXPECT_STREQ(ctrl->metaObject()->className(), "CcvStretchCtrl");
    EXPECT_TRUE(ctrl->setProperty("ControlAlign", QVariant::fromValue(short(5))));
    EXPECT_TRUE(ctrl->setProperty("ChildAlign", QVariant::fromValue(short(3))));
    EXPECT_TRUE(ctrl->setProperty("AutoConfig", QVariant::fromValue(short(1))));
    ctrl->setGeometry(0, 0, 200, 100);
    auto* label = new QLabel(QStringLiteral("Title"), ctrl);
    label->setGeometry(20, 10, 100, 20);
    QSignalSpy moves(ctrl, SIGNAL(MoveObject(qintptr, short, short, short, short, short, bool)));
    ASSERT_TRUE(moves.isValid());

    form.show();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    // Fill made the control 400 × 300 from 200 × 100 after the child was recorded at its
    // first paint, so the child doubles in width and triples in height.
    EXPECT_EQ(ctrl->geometry(), QRect(0, 0, 400, 300));
    EXPECT_EQ(label->geometry(), QRect(40, 30, 200, 60));
    ASSERT_FALSE(moves.isEmpty());
    EXPECT_EQ(moves.last().at(1).value<short>(), 40);
    moves.clear();

    short count = 0;
    ASSERT_TRUE(QMetaObject::invokeMethod(ctrl, "AddItem", Q_RETURN_ARG(short, count),
                                          Q_ARG(short, 9), Q_ARG(short, 1), Q_ARG(short, 2),
                                          Q_ARG(short, 3), Q_ARG(short, 4), Q_ARG(short, 5)));
    EXPECT_EQ(count, 2);
    EXPECT_TRUE(moves.isEmpty()); // an item waits for the next layout
    ASSERT_TRUE(QMetaObject::invokeMethod(ctrl, "ReSize"));
    ASSERT_EQ(moves.size(), 2);
    EXPECT_EQ(moves.last().at(0).value<qintptr>(), 9);
    EXPECT_TRUE(moves.last().at(6).toBool());
    qunsetenv("GW_CONTROL_PATH");
}

} // namespace
