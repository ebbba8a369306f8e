#pragma once

#include "cli/options.h"

#include <string_view>

// What tovrik-split does with a message, or with a stream of records, once
// its options are known.
//
// JSON output, one line per message, compact, members in this order:
//   {"id":ID,"record":N,"encoding":"GSM-7","segments":S,"parts":[
//     {"text":"...","encoding":"GSM-7","units":U},...]}
// - id: a jsonl record's "id" exactly as given, else null.
// - record: the 1-based record number, for lines and nul records only (a
//   jsonl record has its id), and on every error line.
// - encoding, segments: what the message costs as it will be sent. In SMS
//   units the parts' encoding (UCS-2 when any part is) and one SMS a part;
//   otherwise the whole message sent as one concatenated SMS.
// - parts: the pieces as written (numbered when asked); each part's encoding
//   (the message's one with --sms=concat, else its own) and its length in
//   it, septets or UTF-16 units.
// A record that cannot be read or cut gives {"id":ID,"record":N,"error":"..."}
// (without "record" for a single message).
//
// Records: a lines record ends at LF; a CR before the LF is part of the line
// end, and a final line without LF counts. A nul record ends at NUL, and a
// final one without it counts. An empty line or record is an empty message
// (no parts), except in jsonl, where it is not a JSON object. A byte-order
// mark at the start of a record is dropped.

namespace tovrik::cli {

// One message (well-formed UTF-8): its pieces, each followed by a line feed
// (or a NUL with null), or with json one JSON line. Returns 0, or 1 after
// telling standard error (text) or the JSON line (json) why the message
// could not be cut, or after a failed write.
int RunMessage(const Options &options, std::string_view message, int outputFd);

// The whole of inputFd as one message, as RunMessage cuts it. Input that is
// not UTF-8 (or holds a NUL under null) is reported, on standard error or as
// a JSON error line, with nothing else written; returns 1 then.
int RunMessageFrom(const Options &options, int inputFd, int outputFd);

// Records from inputFd, one JSON line each to outputFd, in input order. A bad
// record gives an error object on its line and processing goes on. Returns 0,
// or 1 when a record failed, or reading or writing failed (standard error
// says which; a failed write stops the run). Memory is bounded by the
// longest record.
// The records of the commonest shape take a quicker path that writes the same
// lines (quickrecords.h); without quick, every record takes the general one.
int RunRecords(const Options &options, int inputFd, int outputFd, bool quick = true);

} // namespace tovrik::cli
