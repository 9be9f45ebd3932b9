#pragma once
// Prices of the activities in euros and in pesetas. A price is typed in the
// session's currency and shown converted into the other one at the fixed
// rate of 166.386 pesetas to the euro; a plan that gives one currency of a
// price is completed with the same conversion, so both ways of closing
// store the same texts.
//
// Everything is done in whole numbers (pesetas, euro cents), never in
// floating point, so the roundings are exact; and the texts use the comma of
// the Spanish locale whatever the locale of the machine, since they are both
// shown and stored as they are.
#include <QString>
#include <optional>

namespace ncc {

// Pesetas to euros: cents rounded half away from zero ("6,01" for 1000).
QString AEuros(qint64 pesetas);
// Euro cents to whole pesetas, halves to the even neighbour ("1000" for 601
// cents).
QString APesetas(qint64 centimos);

// An amount of cents as text: the integer part, then a comma and the cents
// without trailing zeros ("6,01", "6,1", "6", "0").
QString textoEuros(qint64 centimos);

// A price in euros as a grid shows it, with both cents ("35,50", "6,00");
// a text that is not an amount is shown as it is.
QString textoEurosConCentimos(const QString& euros);

// An amount as typed: pesetas are digits only (at most 7); euros are up to
// 4 integer digits with an optional comma and at most 2 decimals ("6,01",
// "6,", ",5"). Anything else does not parse.
std::optional<qint64> leerPesetas(const QString& texto);
std::optional<qint64> leerEuros(const QString& texto);  // in cents

// Longest text the price box takes, and the longest integer part of euros.
constexpr int LongitudPrecio = 7;
constexpr int DigitosEnterosEuros = LongitudPrecio - 3;

}  // namespace ncc
