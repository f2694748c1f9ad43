// The standard text lines of a record, used by lists, the detail box and
// reports. Each is at most 132 characters, whatever the stored texts and
// numbers hold. `prefix` is a leading string supplied by the caller.
#pragma once

#include <string>
#include <string_view>

namespace kestrel {

class CPart;

// "%s%-25.25s  %-25.25s  %3.0f  %-25.25s": prefix, PN, type name, QTY, REFDES.
std::string identityLine(const CPart& part, std::string_view prefix);
// "%s%-25.25s  %-60.60s": prefix, PN2, DESCR.
std::string descriptionLine(const CPart& part, std::string_view prefix);
// "%sTFR=%10s  [%8s]  FR=%10s   CF=%8s  T=%6sC  %8s  %s". `circuitTotal` is
// the total the share is taken against ("*NOCALC*" when not above 0). With
// `overMarks`, a record with an over flag shows "*OVER*" in place of the prefix.
std::string resultLine(const CPart& part, std::string_view prefix, double circuitTotal,
                       bool overMarks);
// "%sMissionR= %8s   BasicR= %8s".
std::string reliabilityLine(const CPart& part, std::string_view prefix);
// "%-25.25s %-25.25s %3.0f  %-25.25s %11s %5s": PN, type, QTY, REFDES, TFR, share.
std::string shortListLine(const CPart& part, double circuitTotal, bool overMarks);
// "%-14s  %-20s  %-18s  %-16s  %-22s": FRSMT, package/lead, distance, height, rise.
std::string smtLine(const CPart& part);
// "%s%-16s  %-17s  %s": prefix, limits and the names of the set over flags.
std::string limitsLine(const CPart& part, std::string_view prefix);
// The lines of a record's detail, joined by "\r\n": identity (prefix one
// blank), description, result (share against `circuitTotal`), the two factor
// lines and the two detail lines (prefix four blanks each).
std::string partDetailText(const CPart& part, double circuitTotal);

}  // namespace kestrel
