// The version gate of the Magnification API, platform-free so that the
// start-up sequence decides with it too.
#pragma once

// The Magnification API is offered from Windows 6 on.
constexpr bool MagnificationGateOpen(int osMajorVersion) {
    return osMajorVersion > 5;
}
