#!/usr/bin/env bash
# Plants known faults one at a time and checks that the tests notice each: every fault is an exact
# text replacement; the tree is rebuilt incrementally and the fault's tests run until the first
# failure. A kill is confirmed by running the failed tests once more. The file is always restored.
#
#   scripts/plant-faults.sh [-b BUILD_DIR] [FAULT_ID...]     (default build-faults, all faults)
set -uo pipefail
# In a network namespace of its own where one can be made, so that the tests' fixed loopback
# addresses cannot clash with another suite running on the machine.
if [[ -z ${KELVO_OWN_NETNS:-} ]] && command -v ip >/dev/null && unshare -n true 2>/dev/null; then
    exec env KELVO_OWN_NETNS=1 unshare -n bash -c 'ip link set lo up && exec bash "$0" "$@"' "$0" "$@"
fi
cd "$(git rev-parse --show-toplevel)"
top=$PWD
build=build-faults
if [[ ${1:-} == -b ]]; then
    build=$2
    shift 2
fi
export CCACHE_BASEDIR=/work CCACHE_DIR=${CCACHE_DIR:-/root/.ccache}
if [[ ! -f $build/build.ninja ]]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVO_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j2 >/dev/null || { echo "the unchanged tree does not build" >&2; exit 2; }
log=$build/plant-faults.log
: >"$log"

# Each fault: "@ ID FILE TESTS", then the text to replace ("- " lines) and its replacement
# ("+ " lines). TESTS is a ctest label regex for C++ faults, or pytest files for Python faults.
faults=$(cat <<'LIST'
@ frame-magic src/link/frame.cpp wire|link|message
-     frame.append(kFrameMagic2);
+     frame.append(kFrameMagic1);
@ frame-crc-span src/link/frame.cpp wire|link|message
-     appendU32(frame, crc32(frame.constData() + 2, static_cast<std::size_t>(frame.size() - 2)));
+     appendU32(frame, crc32(frame.constData() + 4, static_cast<std::size_t>(frame.size() - 4)));
@ frame-size-bound src/link/frame.cpp wire|link|api
-     if (payload.size() > kMaxPayloadSize) {
+     if (payload.size() > kMaxPayloadSize + 1) {
@ decoder-command-field src/link/framedecoder.cpp wire|link|message
-         frame->command = readU16(p + 4);
+         frame->command = readU16(p + 2);
@ decoder-crc-unchecked src/link/framedecoder.cpp wire|link|message
-         if (!crcMatches(p)) {
+         if (false && !crcMatches(p)) {
@ decoder-false-header src/link/framedecoder.cpp wire|link|message
-             if (lengths_ == Lengths::Doubted && skipToProvenFrame()) {
+             if (false && skipToProvenFrame()) {
@ fence-extra-reply src/link/heartbeatfence.cpp link|robot|api
-     if (replies_ > sent_)
+     if (replies_ > sent_ + 1)
@ fence-overdue-bound src/link/heartbeatfence.cpp link|robot|api
-     return !unanswered_.empty() && nowMs - unanswered_.front().atMs > kReplyLimitMs;
+     return !unanswered_.empty() && nowMs - unanswered_.front().atMs > 100 * kReplyLimitMs;
@ json-depth-bound src/link/strictjsonreader.cpp wire|link|message
-         reader.allocate(simdjson::SIMDJSON_PADDING, kMaxDepth) != simdjson::SUCCESS)
+         reader.allocate(simdjson::SIMDJSON_PADDING, 1000 * kMaxDepth) != simdjson::SUCCESS)
@ quick-first-duplicate src/link/strictjsonreader.cpp fuzz
-                     last = field.value;
+                     last = last ? last : field.value;
@ json-fallback-stack-limit src/link/jsonwire.cpp wire|link|message
-         builder["stackLimit"] = kMaxNesting;
+         builder["stackLimit"] = 1000 * kMaxNesting;
@ link-send-unconnected src/link/tcpconnectmoduleprivate.cpp link|message|api
-     if (frame.isEmpty() || state_ != State::Connected) {
+     if (frame.isEmpty()) {
@ link-silence-bound src/link/tcpconnectmoduleprivate.cpp link|message|api
-     if (closing_ || state_ != State::Connected || secsSinceLastPing() <= kSilenceLimitSecs) {
+     if (closing_ || state_ != State::Connected || secsSinceLastPing() <= 100 * kSilenceLimitSecs) {
@ message-position-field src/message/tcpconnectmodule.cpp message|robot|api
-     for (Json::ArrayIndex i = 0; i < kPositionValues; ++i) {
+     for (Json::ArrayIndex i = 0; i + 1 < kPositionValues; ++i) {
@ message-servo-robot src/message/tcpconnectmodule.cpp message|robot|api
-     return sendObject(kelvo::cmd::kQueryServoStatus, object("robot", robotNumber()));
+     return sendObject(kelvo::cmd::kQueryServoStatus, object("robot", 1));
@ message-alarm-byte-order src/message/tcpconnectmodule.cpp message|robot|api
-         payload[i] = static_cast<char>(error >> (8 * (3 - i)));
+         payload[i] = static_cast<char>(error >> (8 * i));
@ board-wrong-question src/robot/questionboard.cpp robot|api
-         if (q->stage_ == Question::Stage::Answered || !q->expected_.matches(tag))
+         if (q->stage_ == Question::Stage::Answered || (!q->expected_.matches(tag) && false))
@ board-fence-early src/robot/questionboard.cpp robot|api
-         if (q->stage_ == Question::Stage::Fenced && q->fenceSequence_ < replies_)
+         if (q->stage_ == Question::Stage::Fenced && q->fenceSequence_ <= replies_)
@ board-lock-dropped src/robot/questionboard.cpp robot|api
- void QuestionBoard::post(Question* question) {
-     std::lock_guard<std::mutex> lock(mutex_);
+ void QuestionBoard::post(Question* question) {
@ board-candidate-lost src/robot/questionboard.cpp robot|api
-     if (question.stage_ != Question::Stage::Answered && !abandoned_ && question.candidate_)
+     if (false && question.candidate_)
@ board-wake-lost src/robot/questionboard.cpp robot|api
-     question.stage_ = Question::Stage::Answered;
-     question.wake();
+     question.stage_ = Question::Stage::Answered;
@ robot-jog-axis-bound src/robot/robot.cpp robot|api
-     if (axis < 1 || axis > kLastJogAxis)
+     if (axis < 0 || axis > kLastJogAxis)
@ robot-jog-unchecked src/robot/robot.cpp robot|api
-     return servoStatus_ == kJogAllowedServoStatus && startJog(axis, direction);
+     return startJog(axis, direction);
@ robot-teach-selection src/robot/robot.cpp robot|api
-     return teach != 0 ? teach : qint32(s);
+     return teach != 0 && false ? teach : qint32(s);
@ robot-sync-field src/robot/robot.cpp robot|api
-     copyOut(syncPosition_, 5, out);
+     copyOut(syncPosition_, 4, out);
@ status-mode-range src/robot/robotstatusreports.cpp robot|api
-     if (!mode || *mode < kTeachMode || *mode > kRunMode) {
+     if (!mode) {
@ status-mode-answers-servo src/robot/robotstatusreports.cpp robot|api
-     answer({AnswerKind::Mode}, a);
+     answer({AnswerKind::Servo}, a);
@ status-servo-robot-range src/robot/robotstatusreports.cpp robot|api
-     if (mode == 1 && robot >= 1 && robot <= 4) {
+     if (mode == 1 && robot >= 1 && robot <= 5) {
@ status-cache-lock src/robot/robotstatusreports.cpp robot|api
-         std::lock_guard<std::mutex> lock(cacheMutex_);
-         std::copy_n(answer.values.begin(), count, cache);
+         std::copy_n(answer.values.begin(), count, cache);
@ reports-outer-axes-bound src/robot/decodedreports.cpp robot|api
-     if (count && *count <= kMaxOuterAxes)
+     if (count)
@ reports-joblist-bound src/robot/decodedreports.cpp robot|api
-     for (int i = 0; i < std::min(*count, listed); ++i) {
+     for (int i = 0; i < std::max(*count, listed); ++i) {
@ jobs-control-chars src/transfer/jobfiles.cpp transfer|api
-            c.unicode() < 0x20 || c.unicode() == 0x7F;
+            c.unicode() == 0x7F;
@ jobs-backslash src/transfer/jobfiles.cpp transfer|api
-     return c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') ||
+     return c == QLatin1Char('/') || c == QLatin1Char(':') ||
@ jobs-symlink-hashed src/transfer/jobfiles.cpp transfer|api
-     if (QFileInfo(path).isSymLink())
+     if (false)
@ jobs-robot-bound src/transfer/jobfiles.cpp transfer|api
-     if (number < kFirstRobot || number > kLastRobot || !isPlainFileName(name))
+     if (number < kFirstRobot || !isPlainFileName(name))
@ upload-size-bound src/transfer/tcpupdownfileupload.cpp transfer|api
-         file->size() > kMaxUploadSize) {
+         file->size() > 100 * kMaxUploadSize) {
@ upload-finish-inverted src/transfer/tcpupdownfileupload.cpp transfer|api
-     if (!json::boolOr(json::member(*body, "finish"))) {
+     if (json::boolOr(json::member(*body, "finish"))) {
@ upload-wrong-folder src/transfer/tcpupdownfileupload.cpp transfer|api
-     return QStringLiteral("job/R") + QString::number(robot) + QLatin1Char('/') + fileName;
+     return QStringLiteral("job/R") + QString::number(robot + 1) + QLatin1Char('/') + fileName;
@ api-target-field src/api/payloads.cpp api
-         if (!std::all_of(target, target + kPositionValues, finite)) {
+         if (!std::all_of(target, target + kPositionValues - 1, finite)) {
@ api-port-bound src/api/connectionexports.cpp api
-     return port >= 0 && port <= 65535;
+     return port >= 0;
@ api-timeout-check src/api/connectionexports.cpp api
-     if (ms < 0)
+     if (ms < -1)
@ api-strerror src/api/connectionexports.cpp api
-             return "not connected to the controller";
+             return "invalid argument";
@ api-queue-bound src/api/queuepayload.cpp api
-         if (size_ <= kMaxPayloadSize)
+         if (size_ <= 2 * kMaxPayloadSize)
@ sim-mode-range sim/simcell.cpp sim|api
-     if (mode < kTeachMode || mode > kRunMode)
+     if (mode < kTeachMode)
@ sim-dout-value sim/simcell.cpp sim|api
-     if (port < 1 || port > kDigitalPorts || (status != 0 && status != 1))
+     if (port < 1 || port > kDigitalPorts)
@ sim-jog-while-busy sim/simcell.cpp sim|api
-     if (axis < 1 || axis > kArmAxes || (direction != 1 && direction != -1) || robot.busy())
+     if (axis < 1 || axis > kArmAxes || (direction != 1 && direction != -1))
@ sim-reach-bound sim/armmodel.cpp sim|api
-     if (distance < 1e-9 || distance > kUpperArm + kForearm + 1e-9 ||
+     if (distance < 1e-9 || distance > 2 * (kUpperArm + kForearm) ||
@ sim-joint-limits sim/armmodel.cpp sim|api
-         if (candidate < limits.lower - 1e-9 || candidate > limits.upper + 1e-9)
+         if (candidate < limits.lower - 1e9 || candidate > limits.upper + 1e9)
@ sim-chaos-rate-bound sim/simchaos.cpp sim|api
-             if (ok && pair[0] == QLatin1String(rate.name) && value >= 0 && value <= rate.limit) {
+             if (ok && pair[0] == QLatin1String(rate.name) && value >= 0) {
@ ctl-setting-unchecked tools/ctlcommands.cpp tools
-         if (wanted && now != *wanted)
+         if (false && now != *wanted)
@ py-int-range python/kelvo/_checks.py python/tests
-     if not low <= number <= high:
+     if not low <= number:
@ py-not-finite python/kelvo/_checks.py python/tests
-     if not math.isfinite(number):
+     if False:
@ py-count-exact python/kelvo/_checks.py python/tests
-     if len(values) > count or (exact and len(values) != count):
+     if len(values) > count:
@ py-status-ignored python/kelvo/robot.py python/tests
-         if status < 0:
-             raise self._error(status, started)
+         if status < -1:
+             raise self._error(status, started)
@ py-connected-inverted python/kelvo/robot.py python/tests
-         return self._int("kelvo_is_connected") != 0
+         return self._int("kelvo_is_connected") == 0
@ py-gap-wrap python/kelvo/robot.py python/tests
-         abs(math.remainder(x - y, 360.0)) if coord == Coord.JOINT or i >= 3 else abs(x - y)
+         abs(x - y)
LIST
)

current=""
backup=$(mktemp)
restore() {
    if [[ -n $current ]]; then
        cp "$backup" "$current"
        current=""
    fi
}
trap 'restore; exit 130' INT TERM
trap 'restore; rm -f "$backup"' EXIT

# plant FILE OLD NEW: replaces the one occurrence of OLD; fails when OLD is not there exactly once.
plant() {
    python3 - "$1" "$2" "$3" <<'PY'
import sys
path, old, new = sys.argv[1:]
text = open(path, encoding="utf-8").read()
if text.count(old) != 1:
    sys.exit(1)
open(path, "w", encoding="utf-8").write(text.replace(old, new))
PY
}

# run_tests TESTS: 0 when the tests pass; names the first failure on stdout otherwise.
run_tests() {
    if [[ $1 == python/* ]]; then
        local out
        out=$(env -u KELVO_LIBRARY KELVO_BUILD_DIR="$top/$build" timeout 600 \
            /usr/bin/python3 -m pytest -x -q -p no:cacheprovider $1 2>&1) && return 0
        grep -m1 -oE '^FAILED [^ ]+|^ERROR [^ ]+' <<<"$out" || echo "pytest"
        return 1
    fi
    # In the order of the folders, unit tests first, not longest first: most faults die early.
    rm -f "$build/Testing/Temporary/CTestCostData.txt"
    (cd "$build" && ctest -L "^($1)\$" --stop-on-failure -j2 --timeout 120 >ctest.out 2>&1) && return 0
    grep -m1 -E 'Test +#[0-9]+: .*(\*\*\*|SEGFAULT|Subprocess aborted)' "$build/ctest.out" |
        sed -E 's/.*#[0-9]+: ([^ ]+) .*/\1/'
    return 1
}

rerun_failed() {
    if [[ $1 == python/* ]]; then
        ! run_tests "$1" >/dev/null
    else
        ! (cd "$build" && ctest --rerun-failed -j2 --timeout 120 >/dev/null 2>&1)
    fi
}

wanted=" $* "
killed=0 survived=0 broken=0 total=0
declare -a survivors=()
while IFS= read -r header; do
    read -r _ id file tests <<<"$header"
    [[ $# -gt 0 && $wanted != *" $id "* ]] && continue
    old=$(awk -v h="$header" '$0 == h {on = 1; next} /^@ / {on = 0} on && /^- / {print substr($0, 3)}' <<<"$faults")
    new=$(awk -v h="$header" '$0 == h {on = 1; next} /^@ / {on = 0} on && /^\+ / {print substr($0, 3)}' <<<"$faults")
    total=$((total + 1))
    cp "$file" "$backup"
    current=$file
    started=$(date +%s)
    if ! plant "$file" "$old" "$new"; then
        result="BROKEN (text not found once)"
        broken=$((broken + 1))
    elif [[ $file != python/* ]] && ! cmake --build "$build" -j2 >/dev/null 2>&1; then
        result="BROKEN (does not build)"
        broken=$((broken + 1))
    elif failure=$(run_tests "$tests"); then
        result="SURVIVED"
        survived=$((survived + 1))
        survivors+=("$id")
    elif rerun_failed "$tests"; then
        result="killed by ${failure:-?}"
        killed=$((killed + 1))
    else
        result="SURVIVED (failure did not repeat: ${failure:-?})"
        survived=$((survived + 1))
        survivors+=("$id")
    fi
    restore
    printf '%-28s %4ss  %s\n' "$id" "$(($(date +%s) - started))" "$result" | tee -a "$log"
done < <(grep '^@ ' <<<"$faults")

cmake --build "$build" -j2 >/dev/null
echo "faults: $total, killed: $killed, survived: $survived, broken: $broken" | tee -a "$log"
((${#survivors[@]} == 0)) || echo "survivors: ${survivors[*]}" | tee -a "$log"
