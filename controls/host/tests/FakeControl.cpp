// A control library for the factory tests: one widget class under one identifier.
#include "ControlExport.h"

#include <QWidget>

namespace {
class FakeControl : public QWidget {
public:
    explicit FakeControl(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("FakeControl"));
    }
};
} // namespace

GW_CONTROL_LIBRARY("Fake.FakeCtrl.1", FakeControl)
