#pragma once
// Node 1 of the host's tree: the closing wizard.
namespace ncc {

// Opens the wizard as ActivarFormulario(1) does: a fresh wizard context,
// the start page loaded (its checks run) and shown modally only when they
// passed; returns when the wizard has closed.
void AbrirAsistente();

// Makes AbrirAsistente the form of node 1 (InstalarFormularioNodo).
void InstalarAsistente();

}  // namespace ncc
