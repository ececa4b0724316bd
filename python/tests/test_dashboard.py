"""The dashboard: access rules, messages from pages, commands, shared events, and the page in
Chromium."""

import asyncio
import itertools
import json
import logging
import os
import queue
import shutil
import signal
import subprocess
import sys
import time

import pytest

pytest.importorskip("aiohttp")
import aiohttp  # noqa: E402

import kelvo  # noqa: E402
from kelvo import dashboard, fanout  # noqa: E402
from kelvo.dashboard.access import COOKIE, AccessError, check_listen  # noqa: E402
from conftest import BUILD, ROOT, Sim  # noqa: E402

TOKEN = "s3cret-token-31"
_hosts = ("127.0.31.%d" % n for n in itertools.count(1))
_control_hosts = ("127.0.32.%d" % n for n in itertools.count(1))


class Cell:
    """One kelvo-sim, the script's session with it and a dashboard serving that session."""

    def __init__(self, token=None, control=False, hosts=_hosts):
        self.sim = Sim(next(hosts))
        self.robot = kelvo.connect(self.sim.address)
        self.dashboard = dashboard.serve(
            self.robot, listen=next(hosts) + ":0", token=token, control=control
        )
        host, port = self.dashboard.address
        self.base = "http://%s:%d" % (host, port)

    def restart_sim(self):
        self.sim.stop()
        self.sim = Sim(self.sim.address)

    def close(self):
        self.dashboard.stop()
        self.robot.close()
        self.sim.stop()


@pytest.fixture(scope="module")
def cell():
    cell = Cell()
    yield cell
    cell.close()


@pytest.fixture(scope="module")
def controlled():
    cell = Cell(control=True, hosts=_control_hosts)
    yield cell
    cell.close()


@pytest.fixture(scope="module")
def guarded():
    cell = Cell(token=TOKEN)
    yield cell
    cell.close()


def run(coroutine):
    return asyncio.run(coroutine)


@pytest.mark.parametrize(
    "listen, token, refused",
    [
        ("127.0.0.1:8080", None, None),
        ("localhost:0", None, None),
        ("[::1]:8080", None, None),
        ("0.0.0.0:8080", None, "needs --token"),
        ("192.168.1.5:8080", None, "needs --token"),
        ("cell.example:8080", None, "needs --token"),  # a name may resolve anywhere
        ("0.0.0.0:8080", TOKEN, None),
        ("127.0.0.1:8080", "short", "at least 8"),
        ("127.0.0.1:99999", None, "malformed"),
        ("[::1:8080", None, "malformed"),
    ],
)
def test_listen_addresses(listen, token, refused):
    if refused is None:
        check_listen(listen, token)
    else:
        with pytest.raises(AccessError, match=refused):
            check_listen(listen, token)


def test_command_line_refuses_an_open_listen_and_serves_its_own_sessions():
    environment = dict(os.environ, PYTHONPATH=str(ROOT / "python"))
    plain = "import sys, kelvo; assert 'aiohttp' not in sys.modules"
    assert subprocess.run([sys.executable, "-c", plain], env=environment).returncode == 0
    command = [sys.executable, "-m", "kelvo.dashboard"]
    refused = subprocess.run(
        command + ["127.0.31.250", "--listen", "0.0.0.0:0"],
        capture_output=True, text=True, timeout=30, env=environment,
    )
    assert refused.returncode == 2 and "--token" in refused.stderr

    sim = Sim(next(_hosts))
    listen = next(_hosts) + ":0"
    process = subprocess.Popen(
        command + [sim.address, "--listen", listen], stdout=subprocess.PIPE, text=True,
        stderr=subprocess.DEVNULL, env=environment,
    )
    try:
        url = process.stdout.readline().split()[-1]

        async def servo_shown():
            """The servo state, once the panel has read it (the first hello may come earlier)."""
            async with aiohttp.ClientSession() as session:
                async with session.ws_connect(url + "ws") as socket:
                    state = (await socket.receive_json(timeout=10))["robots"][0]["state"]
                    deadline = time.monotonic() + 10
                    while "servo" not in state and time.monotonic() < deadline:
                        message = await socket.receive_json(timeout=10)
                        state.update(message.get("fields", {}))
                    readings = 0  # a robot standing still pushes nothing: the panel asks
                    deadline = time.monotonic() + 1.0
                    while time.monotonic() < deadline:
                        message = await socket.receive_json(timeout=10)
                        readings += "joints" in message.get("fields", {})
                    return state.get("servo"), readings

        servo, readings = run(servo_shown())
        assert servo == "STOPPED" and readings >= 5
    finally:
        process.send_signal(signal.SIGTERM)
        assert process.wait(timeout=10) == 0
        process.stdout.close()
        sim.stop()


# (path, cookie, origin, expected status); the token dashboard
ACCESS = [
    ("/", None, None, 401),
    ("/?token=wrong-token-31", None, None, 401),
    ("/app.js", "wrong-token-31", None, 401),
    ("/", TOKEN, None, 200),
    ("/app.js", TOKEN, None, 200),
    ("/nothing-here", TOKEN, None, 404),
    ("/ws", None, None, 401),
    ("/ws", TOKEN, "http://evil.example", 403),
    ("/ws?token=" + TOKEN, None, "http://evil.example", 403),
    ("/ws", TOKEN, "SAME", 101),
]


@pytest.mark.parametrize("path, cookie, origin, status", ACCESS)
def test_token_cookie_and_origin(guarded, path, cookie, origin, status):
    headers = {}
    if origin is not None:
        headers["Origin"] = guarded.base if origin == "SAME" else origin
    if path.startswith("/ws"):
        headers.update({"Connection": "Upgrade", "Upgrade": "websocket",
                        "Sec-WebSocket-Version": "13",
                        "Sec-WebSocket-Key": "dGhlIHNhbXBsZSBub25jZQ=="})

    async def fetch():
        cookies = {COOKIE: cookie} if cookie else None
        async with aiohttp.ClientSession(cookies=cookies) as session:
            async with session.get(guarded.base + path, headers=headers) as response:
                return response.status

    assert run(fetch()) == status


def test_the_token_becomes_a_strict_http_only_cookie(guarded):
    async def fetch():
        async with aiohttp.ClientSession() as session:
            url = guarded.base + "/?token=" + TOKEN
            async with session.get(url, allow_redirects=False) as response:
                return response.status, response.headers["Location"], response.cookies[COOKIE]

    status, location, cookie = run(fetch())
    assert (status, location, cookie.value) == (303, "/", TOKEN)
    assert cookie["httponly"] and cookie["samesite"] == "Strict"


def test_loopback_without_token_answers_only_names_of_this_machine(cell):
    async def fetch(host):
        async with aiohttp.ClientSession() as session:
            async with session.get(cell.base + "/", headers={"Host": host}) as response:
                return response.status

    assert run(fetch("rebound.example:80")) == 403
    assert run(fetch("localhost:80")) == 200


BAD_MESSAGES = [
    "garbage",
    '{"type":',
    "[1, 2]",
    '{"type": "move", "joint": 1}',
    '{"type": "ping"' + " " * 5000 + "}",
    b"\x00\x01binary",
]


def test_bad_messages_get_an_error_and_change_nothing(cell):
    async def exchange():
        async with aiohttp.ClientSession() as session:
            async with session.ws_connect(cell.base + "/ws") as socket:
                hello = await socket.receive_json(timeout=5)
                errors = []
                for message in BAD_MESSAGES + ['{"type": "ping", "id": 7}']:
                    send = socket.send_bytes if isinstance(message, bytes) else socket.send_str
                    await send(message)
                    while True:
                        reply = await socket.receive_json(timeout=5)
                        if reply["type"] in ("error", "pong"):
                            errors.append(reply)
                            break
                try:
                    await socket.send_str("x" * (2 << 20))  # beyond any frame the server reads
                except aiohttp.ClientOSError:
                    pass  # the server may close before it has all of it
                closed = await socket.receive(timeout=5)
                while closed.type == aiohttp.WSMsgType.TEXT:  # a state pushed meanwhile
                    closed = await socket.receive(timeout=5)
            async with session.ws_connect(cell.base + "/ws") as socket:
                again = await socket.receive_json(timeout=5)
        return hello, errors, closed, again

    hello, replies, closed, again = run(exchange())
    assert [r["type"] for r in replies] == ["error"] * len(BAD_MESSAGES) + ["pong"]
    assert replies[-1]["id"] == 7
    assert closed.type == aiohttp.WSMsgType.CLOSE and closed.data == 1009
    addresses = lambda hello: [robot["address"] for robot in hello["robots"]]  # noqa: E731
    assert again["type"] == "hello" and addresses(again) == addresses(hello) != []


def test_several_listeners_share_the_events_of_one_session(cell):
    def failing(event):
        raise RuntimeError("a listener that fails")

    first, second = queue.Queue(), queue.Queue()
    stops = [fanout.listen(cell.robot, listener) for listener in (failing, first.put, second.put)]
    try:
        cell.robot.set_dout(9, 1)
        for received in (first, second):
            assert _wait_for_output(received, 9, 1)
        stops[2]()
        cell.robot.set_dout(9, 0)
        assert _wait_for_output(first, 9, 0)
        assert second.empty() or not _wait_for_output(second, 9, 0, seconds=0.5)
    finally:
        for stop in stops:
            stop()


def _wait_for_output(events, port, value, seconds=5.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            event = events.get(timeout=0.1)
        except queue.Empty:
            continue
        is_dout = event.kind == kelvo.EventKind.IO and event.code == kelvo.IoKind.DOUT
        if is_dout and event.values[port - 1] == value:
            return True
    return False


# ---- commands from hand-made pages ----

DOUT3 = {"type": "dout", "robot": 0, "port": 3, "value": 1}
SERVO_ON = {"type": "servo_on", "robot": 0, "confirmed": True}
ONLY_SHOWS = "this dashboard only shows"
# name: (dashboard, steps of (page, message, "done" or part of the error))
COMMAND_CASES = {
    "without control nothing passes": ("cell", [
        (0, DOUT3, ONLY_SHOWS),
        (0, SERVO_ON, ONLY_SHOWS),
        (0, {"type": "jog", "robot": 0, "axis": 3, "positive": True}, ONLY_SHOWS),
        (0, {"type": "take", "robot": 0}, ONLY_SHOWS),
    ]),
    "servo on needs teach mode": ("controlled", [
        (0, {"type": "mode", "robot": 0, "value": 1}, "done"),
        (0, SERVO_ON, "needs teach mode"),
        (0, {"type": "mode", "robot": 0, "value": 0}, "done"),
    ]),
    "servo on needs the confirmation": ("controlled", [
        (0, dict(SERVO_ON, confirmed=False), "needs the confirmation"),
        (0, dict(SERVO_ON, confirmed="yes"), "needs the confirmation"),
    ]),
    "bad arguments are answered": ("controlled", [
        (0, dict(DOUT3, port="3"), "port must be an int"),
        (0, dict(DOUT3, value=7), "status is 7"),
        (0, {"type": "dout", "robot": 0}, "dout needs port, value"),
        (0, dict(DOUT3, robot=4), "no such robot"),
        (0, dict(DOUT3, robot=True), "no such robot"),
        (0, {"type": "speed", "robot": 0, "value": [1]}, "speed must be an int"),
        (0, {"type": "run_job", "robot": 0, "name": None}, "name"),
        (0, {"type": "jog", "robot": 0, "axis": 9, "positive": True}, "a jog needs an axis"),
        (0, {"type": "jog", "robot": 0, "axis": 3, "positive": 1}, "a jog needs an axis"),
    ]),
    "a flood is cut short": ("controlled", [
        (0, [{"type": "speed", "robot": 0, "value": 10}] * 40, "busy"),
    ]),
    "one page controls at a time": ("controlled", [
        (0, {"type": "speed", "robot": 0, "value": 10}, "done"),
        (1, DOUT3, "holds control; take over first"),
        (1, {"type": "take", "robot": 0}, "done"),
        (0, DOUT3, "holds control; take over first"),
    ]),
}


@pytest.mark.parametrize("case", list(COMMAND_CASES))
def test_refused_commands_change_nothing(request, case):
    name, steps = COMMAND_CASES[case]
    cell = request.getfixturevalue(name)

    async def answer(socket):
        while True:
            reply = await socket.receive_json(timeout=5)
            if reply["type"] in ("error", "done"):
                return reply

    async def ask(socket, message):
        """The answer to one message; for a list of them sent at once, the first refusal."""
        messages = message if isinstance(message, list) else [message]
        for one in messages:
            await socket.send_str(json.dumps(one))
        replies = [await answer(socket) for _ in messages]
        return ([reply for reply in replies if reply["type"] == "error"] or replies)[0]

    async def exchange():
        async with aiohttp.ClientSession() as session:
            async with session.ws_connect(cell.base + "/ws") as first, \
                    session.ws_connect(cell.base + "/ws") as second:
                return [await ask((first, second)[page], message) for page, message, _ in steps]

    for (_, message, expected), reply in zip(steps, run(exchange())):
        if expected == "done":
            assert reply["type"] == "done", (message, reply)
        else:
            assert reply["type"] == "error" and expected in reply["message"], (message, reply)
    robot = cell.robot
    assert (robot.get_dout()[2], robot.get_din()[2]) == (0, 0)
    assert robot.get_servo_status() != kelvo.ServoStatus.RUNNING


# ---- the page in a real browser ----

CHROMIUM, DRIVER = shutil.which("chromium"), shutil.which("chromedriver")
needs_chromium = pytest.mark.skipif(not (CHROMIUM and DRIVER), reason="chromium is not installed")


@pytest.fixture(scope="module")
def browser(tmp_path_factory):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service

    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for argument in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                     "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--window-size=1280,720",
                     "--user-data-dir=%s" % tmp_path_factory.mktemp("chromium")):
        options.add_argument(argument)
    driver = webdriver.Chrome(service=Service(executable_path=DRIVER), options=options)
    yield driver
    driver.quit()


def until(check, seconds, what):
    """Waits for check() to be true; the seconds it took."""
    start = time.monotonic()
    while not check():
        if time.monotonic() - start > seconds:
            pytest.fail("not within %g s: %s" % (seconds, what))
        time.sleep(0.02)
    return time.monotonic() - start


def page(browser, script):
    return browser.execute_script("const p = window.kelvoPanels && window.kelvoPanels.get(0);"
                                  " if (!p) return null; " + script)


def shown(browser, selector):
    return page(browser, "return Array.from(p.root.querySelectorAll(%s), e => e.textContent);"
                % json.dumps(selector))


def switch_servo_on(press, robot):
    for _ in range(10):  # the enabling switch may come before the servo is ready: press again
        press()
        time.sleep(0.5)
        if robot.get_servo_status() == kelvo.ServoStatus.RUNNING:
            return
    pytest.fail("the servo does not run")


@needs_chromium
def test_page_follows_a_move(cell, browser):
    browser.get(cell.base + "/")
    until(lambda: (shown(browser, ".cartesian td") or [""])[0] == "500.000", 10, "the position")
    switch_servo_on(cell.robot.servo_power_on, cell.robot)
    target = [40.0, 15.0, -10.0, 0.0, 30.0, 0.0]
    cell.robot.robot_movj(target, 20, kelvo.Coord.JOINT)
    until(lambda: 1.0 < float(shown(browser, ".joints td")[0]) < 39.0, 5, "joint 1 moving")
    cell.robot.wait_until_stopped(target, kelvo.Coord.JOINT)
    until(lambda: shown(browser, ".joints td")[0] == "40.000", 5, "joint 1 at the target")
    plotted = page(browser, "return [Math.max(...p.plot.data[1]), Math.max(...p.plot.data[5])];")
    assert plotted == [40.0, 30.0]
    figures = browser.execute_script("return window.kelvoStats();")
    (BUILD / "dashboard-figures.json").write_text(json.dumps(figures))


@needs_chromium
def test_alarm_and_output_show(cell, browser):
    cell.sim.command("alarm 1")
    newest = lambda: (shown(browser, ".log li") or [""])[0]  # noqa: E731
    until(lambda: "0x6010 ERROR" in newest(), 1.0, "the alarm on top of the log")
    cell.robot.set_dout(5, 1)
    lit = "return Array.from(p.root.querySelectorAll('.dout .lamp'), e => e.className);"
    until(lambda: page(browser, lit) == ["lamp on" if i == 4 else "lamp" for i in range(16)], 2,
          "output 5 lit")
    browser.save_screenshot(str(BUILD / "dashboard.png"))
    assert page(browser, "return p.root.querySelectorAll('.controls, button, select').length;") == 0
    cell.sim.command("clear 1")
    cell.robot.set_dout(5, 0)


@needs_chromium
def test_link_down_and_recovery(cell, browser):
    badge = lambda: shown(browser, ".link")[0]  # noqa: E731
    cell.sim.process.kill()
    until(lambda: badge() == "link down", 2.0, "link down shown")
    cell.restart_sim()
    until(lambda: badge() == "link up", 15, "link up again")
    cell.robot.set_dout(3, 1)
    until(lambda: page(browser, "return p.state.dout[2];") == 1, 5, "the page follows again")


def click(browser, selector):
    from selenium.webdriver.common.by import By

    browser.find_element(By.CSS_SELECTOR, selector).click()


@needs_chromium
def test_page_toggles_an_output_asks_to_confirm_servo_on_and_takes_over(controlled, browser):
    robot = controlled.robot
    browser.get(controlled.base + "/")
    until(lambda: shown(browser, ".holder") == ["control free"], 10, "the controls")
    lamp = lambda group: page(browser, "return p.lamps.%s[2].className;" % group)  # noqa: E731
    click(browser, ".dout .lamp:nth-child(3)")
    until(lambda: lamp("din") == "lamp on", 5, "input 3 lit")
    assert robot.get_din()[2] == 1
    click(browser, ".dout .lamp:nth-child(3)")
    until(lambda: lamp("din") == "lamp", 5, "input 3 dark again")

    click(browser, '[data-command="servo_on"]')
    time.sleep(0.5)
    assert robot.get_servo_status() != kelvo.ServoStatus.RUNNING
    assert shown(browser, ".holder") == ["you have control"]

    def press():
        click(browser, '[data-command="servo_on"]')
        click(browser, ".confirm-yes")

    switch_servo_on(press, robot)
    commands = [line for line in shown(browser, ".log li") if "servo_on" in line]
    assert commands[0].endswith("%s: servo_on: ok" % browser.execute_script("return me;"))

    async def taken_elsewhere():
        async with aiohttp.ClientSession() as session:
            async with session.ws_connect(controlled.base + "/ws") as other:
                await other.send_str(json.dumps({"type": "take", "robot": 0}))
                until(lambda: shown(browser, ".holder")[0].startswith("control held by 127."),
                      5, "the other holder shown")
                assert page(browser, "return p.root.querySelector('.commands').disabled;")
                click(browser, ".take")
                until(lambda: shown(browser, ".holder") == ["you have control"], 5, "taken back")

    run(taken_elsewhere())


def hide_page(browser):
    browser.execute_script("Object.defineProperty(document, 'hidden', {value: true});"
                           " document.dispatchEvent(new Event('visibilitychange'));")


def _release(browser):
    from selenium.webdriver import ActionChains

    ActionChains(browser).release().perform()


# how the hold ends: (what the test does, the reason the server logs)
JOG_ENDS = {
    "release": (_release, "released"),
    "freeze": (lambda browser: browser.execute_script(
        "setTimeout(() => { const end = Date.now() + 1500; while (Date.now() < end); });"),
        "no keep-alive"),
    "hidden": (hide_page, "hidden"),
    "close": (lambda browser: browser.execute_script("socket.close();"), "page closed"),
}


@needs_chromium
@pytest.mark.parametrize("end", list(JOG_ENDS))
def test_jog_moves_only_while_held(controlled, browser, caplog, end):
    from selenium.webdriver import ActionChains
    from selenium.webdriver.common.by import By

    caplog.set_level(logging.INFO, logger="kelvo.dashboard")
    robot = controlled.robot
    if robot.get_current_mode() != kelvo.Mode.TEACH:  # a change of mode drops the servo
        robot.set_current_mode(kelvo.Mode.TEACH)
    robot.set_current_coord(kelvo.Coord.CARTESIAN)
    robot.set_jogging_speed(10)
    if robot.get_servo_status() != kelvo.ServoStatus.RUNNING:
        switch_servo_on(robot.servo_power_on, robot)
    browser.get(controlled.base + "/")
    until(lambda: (shown(browser, ".jog-button") or [""] * 6)[5] == "Z+", 10, "the Z+ button")
    reports, seen = queue.Queue(), []  # seen: (time, z) of the controller's reports

    def z():
        while not reports.empty():
            event = reports.get()
            if event.kind == kelvo.EventKind.POSITION and event.code == kelvo.Coord.CARTESIAN:
                seen.append((event.time, event.values[2]))
        return seen[-1][1] if seen else None

    stop_listening = fanout.listen(robot, reports.put)
    try:
        until(lambda: z() is not None, 5, "a position report")
        start = z()
        z_up = '.jog-button[data-axis="3"][data-positive="true"]'
        ActionChains(browser).click_and_hold(browser.find_element(By.CSS_SELECTOR, z_up)).perform()
        until(lambda: z() > start + 1.0, 5, "Z moving up")
        action, reason = JOG_ENDS[end]
        ended = time.time()
        action(browser)
        time.sleep(1.2)  # longer than the bound below: a jog that goes on shows
        z()
    finally:
        stop_listening()
    _release(browser)
    took = max(t for (t, now), (_, before) in zip(seen[1:], seen) if now != before) - ended
    stops = [r.getMessage() for r in caplog.records if "stopped" in r.getMessage()]
    assert stops and stops[-1].endswith("jog axis 3+ stopped: %s: ok" % reason)
    assert took < 0.8, "the jog went on for %.2f s" % took
    figures = BUILD / "dashboard-jog-stops.json"
    known = json.loads(figures.read_text()) if figures.exists() else {}
    figures.write_text(json.dumps(dict(known, **{end: round(took, 3)})))
