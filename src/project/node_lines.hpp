// The text lines of a project tree node, each beginning with the
// indentation prefix of its level.
//
// A document node: its file name (with "*MISSING*" or "*CYCLE*" for a child
// that is not followed), the document line
//   "%s%-9.9s   %-7.7s   %-13.13s   %-11.11s   %s %s"
//   with "Env:%s", "CF:%s", "Temp:%s C", "Recs:%u", "Model:%s" and, for
//   K-of-N, "(%.0f-of-N)",
// the description "%sDescr: %-60.60s", the results line
//   "%s%-15.15s  %-22.22s  %-12.12s" with "FR=%s", "MTBF=%s hrs." and
//   "Parts=%.0f" (or "*NOCALC*" while not calculated),
// in mission mode "%s%-29.29s  %-17.17s  %-15.15s  %-20.20s" with "Time=%s
// hrs.", "MissionR=%s", "BasicR=%s" and "MissionMTBF=%s hrs.", and for a
// child document the rolled-up record of its parent
//   "%sItem Rollup >>> %-15.15s  %-7.7s  %-11.11s  %-8.8s" with "TFR=%s",
//   "Qty:%-3.0f", "DC:%s%%" and "CF:%s", then "  *NOT CURRENT*" when the
//   parent's stored result no longer matches the child's own totals.
// A record node: its identity line and its result line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

struct CProjPart;

// Three blanks per level.
std::string indentPrefix(int level);

// The node's lines with `prefix` in front of each (the level's indentation
// when left out).
std::vector<std::string> nodeLines(const CProjPart& node);
std::vector<std::string> nodeLines(const CProjPart& node, std::string_view prefix);

// What Detail shows for a node, lines joined by "\r\n": a record's detail
// lines (as a circuit's detail box has them); a document's header and
// result lines without the level's indentation.
std::string nodeDetailText(const CProjPart& node);

// The file name a document node shows, upper-cased.
std::string nodeLabel(const CProjPart& node);

}  // namespace kestrel
