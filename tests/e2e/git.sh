#!/usr/bin/env bash
# Tallir with git: tallir-diff as the diff driver of a repository's tables, and tallir as the
# difftool, started by git on a changed table; its comparison shows.
# Runs inside an X server (xvfb-run); usage: git.sh TALLIR TALLIR_DIFF ARTIFACT_DIR
set -u
tallir=$1
tallir_diff=$2
artifacts=$3
name=git
source "$(dirname "$0")/common.sh"
export HOME="$work" GIT_CONFIG_NOSYSTEM=1

cd "$work" && mkdir repo && cd repo
git init -q . && git config user.email e2e@localhost && git config user.name e2e
printf '1.5 2.5 3.5\n4 5 6\n' > results.txt
echo '*.txt diff=tallir' > .gitattributes
git add . && git commit -qm tables
printf '1.5 2.5 3.5\n4 5.5 6\n' > results.txt

git config diff.tallir.command "$tallir_diff --git"
out=$(git diff) || fail "git diff failed: $out"
grep -q "^R2 C2	5	5.5	1.00$" <<<"$out" || fail "git diff did not list the changed cell: $out"
grep -q "^a/results.txt != b/results.txt$" <<<"$out" || fail "git diff did not name the table: $out"

# git runs a file's diff driver even for difftool: the windows are for tables without one.
git config --unset diff.tallir.command
git config difftool.tallir.cmd "'$tallir' -i \"\$LOCAL\" \"\$REMOTE\""
git difftool --tool=tallir -y > "$work/difftool.log" 2>&1 & pid=$!
box=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tallir$' | head -n 1)
[ -n "$box" ] || fail "the difftool showed no comparison: $(cat "$work/difftool.log")"
xwd -root -silent -out "$artifacts/git-difftool.xwd" 2>/dev/null
xdotool windowfocus --sync "$box" key Return
frame=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tallir Ver' | head -n 1)
xdotool windowfocus --sync "$frame" key alt+f x 2>/dev/null
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "git difftool did not end with the program"
echo "PASS: git diff through tallir-diff, git difftool through tallir"
