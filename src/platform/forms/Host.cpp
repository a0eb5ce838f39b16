#include "platform/forms/Host.h"

#include "platform/forms/QtHost.h"

#include <QApplication>

#include <memory>

namespace qm6::forms {
namespace {
thread_local Host* tHost = nullptr;

QtHost& ThreadQtHost() {
    thread_local QtHost host;
    return host;
}
} // namespace

Host::~Host() = default;

FrameExtent Host::NonClientSize(const Form&) {
    return {};
}

int Host::DisplayBitsPerPixel() {
    return 0;
}

Host* CurrentHost() {
    return tHost;
}

void SetCurrentHost(Host* host) {
    tHost = host;
}

Host& ActiveHost() {
    return tHost ? *tHost : ThreadQtHost();
}

Host* AvailableHost() {
    if (tHost)
        return tHost;
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        return &ThreadQtHost();
    return nullptr;
}

} // namespace qm6::forms
