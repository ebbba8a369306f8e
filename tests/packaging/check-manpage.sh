#!/usr/bin/env bash
# The manual page formats without a single groff warning and has the sections
# a reader looks for.
set -euo pipefail
page="$1"
warnings="$(groff -t -man -Tutf8 -ww -z "$page" 2>&1)"
if [ -n "$warnings" ]; then
  echo "groff warns about $page:" >&2
  echo "$warnings" >&2
  exit 1
fi
# One long line a paragraph, no hyphens, so phrases can be looked for.
text="$(groff -t -man -Tutf8 -rLL=2000n -rHY=0 -P-cbou "$page" 2>/dev/null)"
status=0
for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" EXAMPLES "SEE ALSO"; do
  if ! grep -qx "$section" <<<"$text"; then
    echo "$page: no $section section" >&2
    status=1
  fi
done
for word in --limit --mode --null --help --version --sms --sms=concat --number --json --records \
            --flush space exact period "UTF-16" "GSM-7" "UCS-2" "fold(1)" "parallel(1)" \
            "Character limit must be numeric entry." "Character limit must be between 1 and 32767."; do
  if ! grep -qF -- "$word" <<<"$text"; then
    echo "$page: does not mention $word" >&2
    status=1
  fi
done
exit $status
