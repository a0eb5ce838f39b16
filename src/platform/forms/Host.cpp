#include "platform/forms/Host.h"

#include "platform/forms/QtHost.h"

#include <QApplication>

#include <iostream>
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

int UnshownAnswer(int style) {
    switch (style & 0x0F) {
    case 1: // OK, Cancel
    case 3: // Yes, No, Cancel
    case 5: // Retry, Cancel
        return 2;
    case 4: // Yes, No
        return 7;
    case 2: // Abort, Retry, Ignore
        return 3;
    default:
        return 1;
    }
}

int AnswerUnshown(const std::string& text, int style, const std::string& title) {
    std::cerr << (title.empty() ? std::string() : title + ": ") << text << '\n';
    return UnshownAnswer(style);
}

bool WidgetsAvailable() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
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
    if (WidgetsAvailable())
        return &ThreadQtHost();
    return nullptr;
}

} // namespace qm6::forms
