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

# A rename with a change, a new, a deleted and a mode-changed table in one diff: git goes on
# past each one, and each table's lines start with its names and what happened to it.
printf '7 8\n' > old.txt && printf '1 2\n' > mode.txt && git add . && git commit -qm more
git mv results.txt moved.txt && git rm -q old.txt && printf '3 4\n5 6\n' > new.txt && chmod +x mode.txt && git add -A
out=$(git diff --cached -M) || fail "git diff of a rename failed: $out"
for line in "renamed from results.txt" "^--- /dev/null$" "^new table$" "^deleted table$" "^old mode 100644$" "^new mode 100755$" \
    "^b/new.txt: new table, R2 x C2$" "^a/results.txt == b/moved.txt$"; do
    grep -q "$line" <<<"$out" || fail "git diff --cached -M lacks \"$line\": $out"
done
[ "$(grep -c '^+++ ' <<<"$out")" -eq 4 ] || fail "not every table was shown: $out"
grep -q "==" <<<"$(grep -A3 '^new table$' <<<"$out")" && fail "a new table was said to be equal: $out"
git commit -qm moved

# The windows as git's difftool, also for tables with the attribute, through the alias the
# manual gives; a copy is already running: the files are handed to it and loaded before git
# takes its temporary copies away.
printf '1.5 2.5 3.5\n4 5.75 6\n' > moved.txt
git config difftool.tallir.cmd "'$tallir' -i \"\$LOCAL\" \"\$REMOTE\""
git config alias.tallir-difftool '-c diff.tallir.command=git-difftool--helper difftool --tool=tallir'
"$tallir" & pid=$!
frame=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tallir Ver' | head -n 1)
[ -n "$frame" ] || fail "tallir shows no frame"
git tallir-difftool -y > "$work/difftool.log" 2>&1 & tool=$!
# The running copy's closing message and the second copy's box: both show at once.
for _ in $(seq 200); do
    boxes=$(xdotool search --onlyvisible --name '^Tallir$' 2>/dev/null | wc -l)
    [ "$boxes" -ge 2 ] && break
    sleep 0.1
done
[ "$boxes" -ge 2 ] || fail "the difftool's files were not compared by the running copy: $(cat "$work/difftool.log")"
shot git-difftool
for box in $(xdotool search --onlyvisible --name '^Tallir$'); do xdotool windowfocus --sync "$box" key Return; done
for _ in $(seq 100); do kill -0 "$tool" 2>/dev/null || break; sleep 0.1; done
kill -0 "$tool" 2>/dev/null && fail "git difftool did not end"
xdotool windowfocus --sync "$frame" key alt+f x 2>/dev/null
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
grep -q "git-blob" "$TALLIR_SETTINGS_DIR/Tallir.ini" 2>/dev/null ||
    fail "git's temporary copy was not loaded: $(cat "$TALLIR_SETTINGS_DIR"/Tallir.ini 2>/dev/null)"
echo "PASS: git diff through tallir-diff for every kind of change, git difftool through a running tallir"
