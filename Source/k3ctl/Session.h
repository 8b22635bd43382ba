// `k3ctl -`: commands read from stdin, one per line, all in one session, so the unit and the
// radio stay open from one line to the next. Blank lines and lines starting with # are
// skipped. Options on the command line (--json, -q, --progress) apply to every line.
#pragma once

#include "Commands.h"

// The runner of `-`. The exit code of the last command run; 130 when Ctrl-C ended the session.
int RunCommandLines(Session& session, const Request& options);
