#!/usr/bin/env bash
# The main job, end to end on one machine: a sandbox store on a free port, a
# fresh simulated device with a signed-in demo account, buyservice asked by
# another application (appctl) for the country list, an item list and the
# purchased-item list, then an item bought through buyclient's screen, driven
# as a person would through the UI automation channel (iap-ui), and found in
# the purchased-item list and among the store's charges.
set -euo pipefail

BUILD_DIR="${1:-build}"
BIN="$(cd "$BUILD_DIR/bin" && pwd)"
SCRIPTS="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# The programs are built with the sanitizers (make build): the same settings
# as the test suite, so that a report in an application's log means a fault.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$SCRIPTS/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
for tool in iap-sandbox appctl iap-device buyservice buyclient iap-ui iap-package; do
  if [ ! -x "$BIN/$tool" ]; then
    echo "demo: $BIN/$tool is missing; run 'make build' first" >&2
    exit 1
  fi
done

WORK="$(mktemp -d "${TMPDIR:-/tmp}/iap-demo.XXXXXX")"
export IAP_PLATFORM_HOME="$WORK/device"
mkdir -p "$IAP_PLATFORM_HOME"
LOGS="$IAP_PLATFORM_HOME/logs"
SANDBOX_PID=""
CALLER_PID=""
CURRENT_STEP="checking the build"

# The processes of this demo's platform home running program $1 of the build
# (any of them without $1): the applications application control launched
# (buyservice, buyclient, the account service) and the callers.
device_pids() {
  local proc program
  local programs=("$BIN/${1:-}")
  [ -n "${1:-}" ] || programs=("$BIN"/*)
  for proc in /proc/[0-9]*; do
    for program in "${programs[@]}"; do
      if [ -f "$program" ] && [ "$proc/exe" -ef "$program" ]; then
        if grep -qzxF "IAP_PLATFORM_HOME=$IAP_PLATFORM_HOME" "$proc/environ" 2>/dev/null; then
          echo "${proc#/proc/}"
        fi
        break
      fi
    done
  done
}

stop_pid() {
  kill "$1" 2>/dev/null || return 0

  for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  kill -KILL "$1" 2>/dev/null || true
}

cleanup() {
  local status=$? pid
  trap - EXIT
  if [ "$status" -ne 0 ] && [ -n "$(device_pids buyclient)" ]; then
    echo >&2
    echo "demo: what buyclient shows (iap-ui list, controls with a text):" >&2
    { "$BIN/iap-ui" --app buyclient.BuyClient --connect-timeout 2 list || true; } |
      awk -F '\t' '/^#/ || $5 != ""' >&2
  fi
  if [ -n "$CALLER_PID" ]; then stop_pid "$CALLER_PID"; wait "$CALLER_PID" 2>/dev/null || true; fi
  for pid in $(device_pids); do [ "$pid" = "$SANDBOX_PID" ] || stop_pid "$pid"; done
  if [ -n "$SANDBOX_PID" ]; then kill "$SANDBOX_PID" 2>/dev/null || true; wait "$SANDBOX_PID" 2>/dev/null || true; fi
  if [ "$status" -ne 0 ]; then
    echo >&2
    echo "demo: FAILED (exit status $status) in the step: $CURRENT_STEP" >&2
    echo "demo: the logs are kept: applications in $LOGS/, the store in $WORK/sandbox.log" >&2
    echo "demo: (remove $WORK when done)" >&2
  else
    rm -rf "$WORK"
  fi
  exit "$status"
}
trap cleanup EXIT

step() {
  CURRENT_STEP="$*"
  printf '\n\033[1m== %s\033[0m\n' "$*"
}
fail() {
  echo "demo: $*" >&2
  exit 1
}

step "Starting the sandbox store (iap-sandbox --port 0)"
mkfifo "$WORK/url"
"$BIN/iap-sandbox" --port 0 >"$WORK/url" 2>"$WORK/sandbox.log" &
SANDBOX_PID=$!
read -r -t 10 BASE_URL <"$WORK/url" || { cat "$WORK/sandbox.log" >&2; fail "the sandbox did not start (its log is above)"; }
export IAP_COUNTRY_SEARCH_URL="$BASE_URL/ods.as"
echo "store at $BASE_URL (country search: $IAP_COUNTRY_SEARCH_URL)"

step "Provisioning the device: a US SIM and the signed-in demo account"
"$BIN/iap-device" set sim.mcc=310 sim.mnc=26 sim.phone_number=+15550100 system.model_name=VX-Demo system.duid=DEMO0000DEVICE1
"$BIN/appctl" account add --user-name demo@vexmora.com --user-id U1000001 --mcc 310 --server-url "$BASE_URL/store"

SERVICE=buyservice.BuyService
step "appctl $SERVICE /appcontrol/operation/iap/get_country_list"
"$BIN/appctl" --timeout 30 "$SERVICE" /appcontrol/operation/iap/get_country_list _transactionId=1

step "appctl $SERVICE /appcontrol/operation/iap/get_item_list (items 1 to 5 of group 100000000001)"
"$BIN/appctl" --timeout 30 "$SERVICE" /appcontrol/operation/iap/get_item_list \
  _transactionId=2 _itemGroupId=100000000001 _startNumber=1 _endNumber=5

step "appctl $SERVICE /appcontrol/operation/iap/get_purchased_item_list (group 100000000001)"
"$BIN/appctl" --timeout 30 "$SERVICE" /appcontrol/operation/iap/get_purchased_item_list \
  _transactionId=3 _itemGroupId=100000000001 _startNumber=1 _endNumber=10

# ---- a purchase through buyclient's screen -----------------------------------
# buyclient inherits the caller's environment through application control: it
# opens its automation channel and draws offscreen.
CLIENT=buyclient.BuyClient
PURCHASE=/appcontrol/operation/iap/purchase
ITEM=000000001003  # Gem pack 3, not yet bought by the demo account
GROUP=100000000001
export IAP_UI_AUTOMATION=1
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"

ui() { "$BIN/iap-ui" --app "$CLIENT" --connect-timeout 30 "$@"; }
# Waits (bounded) for a control of buyclient's active window; says which one on failure.
ui_wait() {
  local status=0
  ui wait "$1" --timeout "${2:-40}" || status=$?
  [ "$status" -eq 0 ] || fail "buyclient did not show '$1' (iap-ui exit $status)"
}
ui_do() {
  local status=0
  ui "$@" || status=$?
  [ "$status" -eq 0 ] || fail "iap-ui $1 $2 was refused (exit $status)"
}
# The value of KEY in appctl's printed answer (file $1).
answer_value() { sed -n "s/^$2 = //p" "$1" | head -n 1; }
# The answer in file $1 must carry method $2 with _result 0.
expect_answer() {
  local method result
  method="$(answer_value "$1" _method)"
  result="$(answer_value "$1" _result)"
  if [ "$method" != "$2" ] || [ "$result" != "0" ]; then
    fail "the caller expected $2 with _result 0, it got '${method:-no answer}' with _result '${result}'"
  fi
}

step "appctl $CLIENT $PURCHASE (Gem pack 3), in the background"
"$BIN/appctl" --timeout 60 "$CLIENT" "$PURCHASE" _transactionId=4 _itemId="$ITEM" _itemGroupId="$GROUP" \
  >"$WORK/ticket.txt" 2>&1 &
CALLER_PID=$!
echo "the calling application waits for its answer; buyclient opens the purchase screen"

step "The account is signed in, so buyclient asks its password: type it, press OK"
ui_wait password
ui list | grep -E '^# window|^(popupTitle|id|password)\b' || true
ui_do type password demo1234
echo "typed the password into 'password'"
ui_do press ok
echo "pressed 'ok'"

step "The purchase screen lists the payment methods: check \"Credit card\", press \"Purchase\""
ui_wait methods/0/0
ui list | grep -E '^(# scene|itemName|itemPrice|methods/|footerItem0)\b' || true
CARD_ROW="$(ui list | awk -F '\t' '$1 ~ /^methods\/0\/[0-9]+$/ && $5 == "Credit card" { print $1; exit }' || true)"
[ -n "$CARD_ROW" ] || fail "no \"Credit card\" row among the payment methods"
ui_do press "$CARD_ROW"
echo "checked '$CARD_ROW' (Credit card); Purchase is enabled now:"
ui list | grep -E '^footerItem0\b' || true
ui_do press footerItem0
echo "pressed 'footerItem0' (Purchase)"

step "The caller receives its ticket (OnPurchaseItemInitialized)"
CALLER_STATUS=0
wait "$CALLER_PID" || CALLER_STATUS=$?
CALLER_PID=""
cat "$WORK/ticket.txt"
[ "$CALLER_STATUS" -eq 0 ] || fail "the purchasing caller got no answer (appctl exit $CALLER_STATUS)"
expect_answer "$WORK/ticket.txt" OnPurchaseItemInitialized
PURCHASE_ID="$(answer_value "$WORK/ticket.txt" _ticketPurchaseId)"
[ -n "$PURCHASE_ID" ] || fail "the ticket carries no purchase id"
echo "purchase id: $PURCHASE_ID"

step "appctl $CLIENT $PURCHASE _purchaseResume=1: the caller resumes, the card is charged"
"$BIN/appctl" --timeout 60 "$CLIENT" "$PURCHASE" _transactionId=5 _purchaseResume=1 | tee "$WORK/finished.txt"
expect_answer "$WORK/finished.txt" OnPurchaseItemFinished
PAYMENT_ID="$(answer_value "$WORK/finished.txt" _paymentId)"
[ -n "$PAYMENT_ID" ] || fail "the purchased item carries no payment id"

step "appctl $SERVICE /appcontrol/operation/iap/get_purchased_item_list: the new item is there"
"$BIN/appctl" --timeout 30 "$SERVICE" /appcontrol/operation/iap/get_purchased_item_list \
  _transactionId=6 _itemGroupId="$GROUP" _startNumber=1 _endNumber=10 | tee "$WORK/purchased.txt"
NEW_ROW="$(grep -E "^[0-9]+ .* $PAYMENT_ID " "$WORK/purchased.txt" || true)"
[ -n "$NEW_ROW" ] || fail "payment $PAYMENT_ID is not in the purchased-item list"
echo "new: record ${NEW_ROW%% *}, payment $PAYMENT_ID"

step "The store's charges for purchase $PURCHASE_ID (GET /admin/charges)"
CHARGES_JSON="$(curl -fsS "$BASE_URL/admin/charges?purchaseId=$PURCHASE_ID")"
echo "$CHARGES_JSON"
CHARGES="$(grep -o '"purchaseId"' <<<"$CHARGES_JSON" | wc -l)"
[ "$CHARGES" -eq 1 ] || fail "purchase $PURCHASE_ID was charged $CHARGES times, not once"
echo "charged once"

step "buyclient ends once its caller has the item"
DEADLINE=$((SECONDS + 30))
while [ -n "$(device_pids buyclient)" ]; do
  [ "$SECONDS" -lt "$DEADLINE" ] || fail "buyclient still runs 30 s after answering"
  sleep 0.1
done
if grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error' "$LOGS/$CLIENT.log" 2>/dev/null; then
  fail "buyclient's log ($LOGS/$CLIENT.log) has a sanitizer report"
fi
echo "buyclient has ended; its log has no sanitizer report"

step "Self-update: the store offers a client package signed with the vendor's own key"
"$BIN/iap-package" keygen -o "$WORK/vendor.key"
"$BIN/iap-package" trust "$WORK/vendor.key.pub"
printf '#!/bin/sh\necho "buyclient 2.0.0"\n' >"$WORK/buyclient"
chmod 755 "$WORK/buyclient"
"$BIN/iap-package" create --package-id buyclient --version 2.0.0 --app "buyclient.BuyClient=$WORK/buyclient" \
  --key "$WORK/vendor.key" -o "$WORK/buyclient-2.0.0.vxp"
curl -fsS -X POST "$BASE_URL/admin/packages" --data-urlencode id=buyclient --data-urlencode version=2.0.0 \
  --data-urlencode "path=$WORK/buyclient-2.0.0.vxp" >/dev/null
echo "the item list is answered canceled while the update installs; the caller asks again"
"$BIN/appctl" --timeout 60 "$SERVICE" /appcontrol/operation/iap/get_item_list \
  _transactionId=7 _itemGroupId=100000000001 _startNumber=1 _endNumber=2 || true
grep -h '^version=' "$IAP_PLATFORM_HOME/apps/buyclient.BuyClient.manifest" | sed 's/^/installed buyclient /'
"$BIN/appctl" --timeout 30 "$SERVICE" /appcontrol/operation/iap/get_item_list \
  _transactionId=8 _itemGroupId=100000000001 _startNumber=1 _endNumber=2

step "Done; the sandbox and what runs of the device stop now"
