#!/usr/bin/env bash
# The real installer as a screen reader meets it: orvo-inspect reads the licence page's controls
# (roles, names, states, places), ticks the agreement by its default action and sees both install
# buttons come alive, takes the custom install to the folder page and starts the installation
# there, listens to the progress bar's value going up to the finish page, and finishes. Every
# action goes through the accessibility tree only: no pointer, no keys.
#
# A private display and a Wine prefix of its own: the installation writes the registry and the
# program folder, which no other test may see, and the installer's window must not sit under
# another test's pointer.
set -u -o pipefail
. "$(dirname "$0")/../../e2e/installer.sh"
inst_begin "$1" --private wineprefix-inspect
work=$e2e_work
# an earlier run's installation would hide the custom install (an update keeps its folder)
inst_clean
folder=$(unixpath "$inst_install_dir")

inspect() { wine "$e2e_inspect" "$inst_title" "$@" </dev/null 2>/dev/null; }
# The tree without what the pointer's place decides (hottracked) and, unless asked, the places.
tree() { inspect | sed -E 's/hottracked,?//; s/,\]/]/'; }
shape() { tree | sed -E 's/ \([0-9-]+,[0-9-]+,[0-9]+,[0-9]+\)//'; }
# tree_has SECONDS TEXT: until the tree (without places) holds the line TEXT.
tree_has() {
    for _ in $(seq $(($1 * 5))); do
        shape >"$work/tree" && grep -qxF -- "$2" "$work/tree" && return 0
        sleep 0.2
    done
    cat "$work/tree"
    return 1
}

inst_launch
inspect --wait 30000 >/dev/null || fail "no accessible window titled $inst_title"

# --- the licence page: every control, in document order ---
expected='client "Pelora安装程序" [focused,focusable]
  static text "Pelora安装程序" [readonly]
  static text "Ver: 8.0.0.5" [readonly]
  page "Pelora" []
    static text "Pelora" [readonly]
    static text "高清流畅的直播伴侣，一键开播" [readonly]
    push button "立即安装" [unavailable]
    check box "我已阅读并同意" [focusable]
    link "《用户许可协议》" [focusable,linked]
    push button "自定义安装" [unavailable]
  push button "关闭" [focusable]'
tree_has 10 '  push button "关闭" [focusable]' >/dev/null
[ "$(shape)" = "$expected" ] || { shape; fail "the licence page reads otherwise"; }
# places: where the markup puts each control, on the screen
tree >"$work/placed"
read -r wx wy _ < <(sed -nE '1s/.*\(([0-9-]+),([0-9-]+),.*/\1 \2/p' "$work/placed")
for entry in '1001|check box "我已阅读并同意"' '1004|push button "自定义安装"' '5000|push button "关闭"'; do
    id=${entry%%|*} object=${entry#*|}
    read -r x y w h <<<"$(inst_rect "$id")"
    want="($((wx + x)),$((wy + y)),$w,$h)"
    grep -F -- "$object" "$work/placed" | grep -qF -- "$want" ||
        fail "$object is not at $want: $(grep -F -- "$object" "$work/placed")"
done
echo "licence page: $(grep -c . "$work/placed") objects read, places agree with the markup"

# --- a disabled button refuses its action; ticking the agreement enables both ---
inspect --do '自定义安装' >/dev/null && fail "the disabled custom-install button took its action"
inspect --do '我已阅读并同意' || fail "the agreement has no default action"
tree_has 10 '    push button "自定义安装" [focusable]' >/dev/null || fail "custom install stays unavailable"
grep -qxF '    push button "立即安装" [focusable]' "$work/tree" || fail "install stays unavailable"
grep -qxF '    check box "我已阅读并同意" [focusable,checked]' "$work/tree" || fail "the agreement reads unticked"
echo "agreement ticked: both install buttons read as enabled"

# --- custom install: the folder page, then install from there while listening ---
inspect --do '自定义安装' || fail "custom install has no default action"
tree_has 10 '  page "选择安装位置" []' >/dev/null || fail "no folder page"
grep -qxF '    editable text "安装位置" [focusable] value="C:\Program Files\OrvoNubelo\"' "$work/tree" ||
    fail "the folder box reads otherwise: $(grep 'editable' "$work/tree")"
inspect --events 120000 --until 'show page "安装完成"' >"$work/events" &
listener=$!
for _ in $(seq 100); do grep -qx listening "$work/events" 2>/dev/null && break; sleep 0.1; done
inspect --do '立即安装' || fail "install has no default action"
wait "$listener" || { cat "$work/events"; fail "the finish page never showed"; }
# the bar's values as each value event read them back: going up, from below full to full
grep -F 'value progress bar "正在安装 Pelora"' "$work/events" | sed -E 's/.*value="([0-9]+)%"$/\1/' >"$work/values"
values=$(uniq "$work/values" | tr '\n' ' ')
echo "progress read: $values"
sort -n -c "$work/values" 2>/dev/null || fail "the progress went back: $values"
[ "$(uniq "$work/values" | wc -l)" -ge 3 ] || fail "too few progress readings: $values"
[ "$(head -1 "$work/values")" -lt 100 ] && [ "$(tail -1 "$work/values")" -eq 100 ] ||
    fail "the progress did not go from below full to full: $values"

# the percentage label's caption changes were announced as name changes, the last one full
grep 'name static text' "$work/events" | tail -1 | grep -qF 'name static text "100%"' ||
    fail "the percentage's last name change does not read 100%: $(grep 'name static' "$work/events" | tail -1)"

# --- the finish page, and finishing ---
tree_has 10 '    push button "完成" [focusable]' >/dev/null || fail "no finish button"
grep -qxF '    check box "开机时启动 Pelora 监控" [focusable]' "$work/tree" || fail "no monitor box"
inspect --do '完成' || fail "finish has no default action"
inst_wait_exit 30
[ "$inst_rc" -eq 0 ] || fail "the installer exited $inst_rc"
[ -f "$folder/NubeloUI.exe" ] || fail "NubeloUI.exe was not installed"
wine reg query 'HKCU\Software\OrvoNubelo' /v InstallPath 2>/dev/null | tr -d '\r' |
    grep -qF 'C:\Program Files\OrvoNubelo\' || fail "no InstallPath in the registry"
echo "finished: files and registry in place"
