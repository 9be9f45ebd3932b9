#pragma once
// Long work yields to the event loop so that progress displays repaint. The
// yield is throttled: processEvents every few milliseconds at most, so that
// calling it after every statement costs nothing measurable.
namespace ncc {
void ceder();
void cederAhora();
}  // namespace ncc
