#!/usr/bin/env bash
# The main job, end to end on one machine: a sandbox store on a free port, a
# fresh simulated device with a signed-in demo account, and buyservice asked
# by another application (appctl) for the country list, an item list and the
# purchased-item list.
set -euo pipefail

BUILD_DIR="${1:-build}"
BIN="$(cd "$BUILD_DIR/bin" && pwd)"
for tool in iap-sandbox appctl iap-device buyservice iap-package; do
  if [ ! -x "$BIN/$tool" ]; then
    echo "demo: $BIN/$tool is missing; run 'make build' first" >&2
    exit 1
  fi
done

WORK="$(mktemp -d "${TMPDIR:-/tmp}/iap-demo.XXXXXX")"
export IAP_PLATFORM_HOME="$WORK/device"
mkdir -p "$IAP_PLATFORM_HOME"
SANDBOX_PID=""
cleanup() {
  if [ -n "$SANDBOX_PID" ]; then kill "$SANDBOX_PID" 2>/dev/null || true; wait "$SANDBOX_PID" 2>/dev/null || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT

step() { printf '\n\033[1m== %s\033[0m\n' "$*"; }

step "Starting the sandbox store (iap-sandbox --port 0)"
mkfifo "$WORK/url"
"$BIN/iap-sandbox" --port 0 >"$WORK/url" 2>"$WORK/sandbox.log" &
SANDBOX_PID=$!
read -r -t 10 BASE_URL <"$WORK/url" || { echo "demo: the sandbox did not start; see its log:" >&2; cat "$WORK/sandbox.log" >&2; exit 1; }
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
  _transactionId=4 _itemGroupId=100000000001 _startNumber=1 _endNumber=2 || true
grep -h '^version=' "$IAP_PLATFORM_HOME/apps/buyclient.BuyClient.manifest" | sed 's/^/installed buyclient /'
"$BIN/appctl" --timeout 30 "$SERVICE" /appcontrol/operation/iap/get_item_list \
  _transactionId=5 _itemGroupId=100000000001 _startNumber=1 _endNumber=2

step "Done; the sandbox stops now"
