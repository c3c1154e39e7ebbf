#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <functional>

namespace vistrel {

// Hands work to the GUI thread's event loop; safe from any thread. Work posted while no
// application object exists is dropped.
class GuiThread {
  public:
    static void post(std::function<void()> work) {
        if (QCoreApplication* application = QCoreApplication::instance())
            QMetaObject::invokeMethod(application, std::move(work), Qt::QueuedConnection);
    }
};

} // namespace vistrel
