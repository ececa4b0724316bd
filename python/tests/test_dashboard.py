# The dashboard: access rules, messages, commands and jogs from hand-made pages, and one walk
# through the page in Chromium.

import asyncio
import contextlib
import itertools
import json
import logging
import os
import shutil
import signal
import subprocess
import sys
import time
import types

import pytest

pytest.importorskip("aiohttp")
import aiohttp  # noqa: E402

import kelvo  # noqa: E402
from kelvo import dashboard  # noqa: E402
from kelvo.dashboard.access import COOKIE, AccessError, check_listen  # noqa: E402
from conftest import BUILD, ROOT, Sim, run_python, until  # noqa: E402

TOKEN = "s3cret-token-31"
_hosts = ("127.0.31.%d" % n for n in itertools.count(1))
_control_hosts = ("127.0.32.%d" % n for n in itertools.count(1))


def cell_fixture(token=None, control=False, hosts=_hosts):
    # One kelvo-sim, the script's session with it and a dashboard serving that session.
    @pytest.fixture(scope="module")
    def fixture():
        cell = types.SimpleNamespace(sim=Sim(next(hosts)))
        cell.robot = kelvo.connect(cell.sim.address)
        cell.dashboard = dashboard.serve(cell.robot, listen=next(hosts) + ":0", token=token,
                                         control=control)
        cell.base = "http://%s:%d" % cell.dashboard.address
        yield cell
        cell.dashboard.stop()
        cell.robot.close()
        cell.sim.stop()

    return fixture


cell = cell_fixture()
controlled = cell_fixture(control=True, hosts=_control_hosts)
guarded = cell_fixture(token=TOKEN)


async def with_pages(base, talk, pages=1):
    # talk(*sockets) with pages open on the dashboard at base.
    async with aiohttp.ClientSession() as session:
        sockets = [await session.ws_connect(base + "/ws") for _ in range(pages)]
        try:
            return await talk(*sockets)
        finally:
            for socket in sockets:
                await socket.close()


async def receive_until(socket, wanted, seconds=10.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if wanted(message := await socket.receive_json(timeout=seconds)):
            return message
    pytest.fail("no such message within %g s" % seconds)


def fields(message):
    # What a message tells of the first robot's state.
    return message.get("fields") or ({} if "robots" not in message else
                                     message["robots"][0]["state"])


@pytest.mark.parametrize("listen, token, refused", [
    ("127.0.0.1:8080", None, None), ("localhost:0", None, None), ("[::1]:8080", None, None),
    ("0.0.0.0:8080", None, "needs --token"), ("192.168.1.5:8080", None, "needs --token"),
    ("cell.example:8080", None, "needs --token"),  # a name may resolve anywhere
    ("0.0.0.0:8080", TOKEN, None), ("127.0.0.1:8080", "short", "at least 8"),
    ("127.0.0.1:99999", None, "malformed"), ("[::1:8080", None, "malformed"),
])
def test_listen_addresses(listen, token, refused):
    with pytest.raises(AccessError, match=refused) if refused else contextlib.nullcontext():
        check_listen(listen, token)


def test_command_line_refuses_an_open_listen_and_serves_its_own_sessions():
    plain = run_python(["-c", "import sys, kelvo; assert 'aiohttp' not in sys.modules"])
    refused = run_python(["-m", "kelvo.dashboard", "127.0.31.250", "--listen", "0.0.0.0:0"])
    assert plain.returncode == 0 and refused.returncode == 2 and "--token" in refused.stderr

    sim = Sim(next(_hosts))
    process = subprocess.Popen(
        [sys.executable, "-m", "kelvo.dashboard", sim.address, "--listen", next(_hosts) + ":0"],
        env=dict(os.environ, PYTHONPATH=str(ROOT / "python")), stdout=subprocess.PIPE, text=True,
        stderr=subprocess.DEVNULL)
    try:
        url = process.stdout.readline().split()[-1].rstrip("/")
        async def shown(page):  # the servo, and a robot standing still read again and again
            wanted = ["servo", "joints", "joints", "joints"]
            return [fields(await receive_until(page, lambda m: key in fields(m))) for key in wanted]

        assert asyncio.run(with_pages(url, shown))[0]["servo"] == "STOPPED"
    finally:
        process.send_signal(signal.SIGTERM)
        assert process.wait(timeout=10) == 0
        process.stdout.close()
        sim.stop()


WS = {"Connection": "Upgrade", "Upgrade": "websocket", "Sec-WebSocket-Version": "13",
      "Sec-WebSocket-Key": "dGhlIHNhbXBsZSBub25jZQ=="}
EVIL = dict(WS, Origin="http://evil.example")


# (dashboard, path, cookie, headers, expected status); SAME stands for the dashboard's own origin
@pytest.mark.parametrize("name, path, cookie, headers, status", [
    ("guarded", "/", None, {}, 401), ("guarded", "/?token=wrong-token-31", None, {}, 401),
    ("guarded", "/?token=" + TOKEN, None, {}, 303),
    ("guarded", "/app.js", "wrong-token-31", {}, 401), ("guarded", "/", TOKEN, {}, 200),
    ("guarded", "/app.js", TOKEN, {}, 200), ("guarded", "/nothing-here", TOKEN, {}, 404),
    ("guarded", "/ws", None, WS, 401), ("guarded", "/ws", TOKEN, EVIL, 403),
    ("guarded", "/ws?token=" + TOKEN, None, EVIL, 403),
    ("guarded", "/ws", TOKEN, dict(WS, Origin="SAME"), 101),
    ("cell", "/", None, {"Host": "rebound.example:80"}, 403),  # loopback answers its names only
    ("cell", "/", None, {"Host": "localhost:80"}, 200),
])
def test_token_cookie_origin_and_host(request, name, path, cookie, headers, status):
    base = request.getfixturevalue(name).base
    headers = {key: base if value == "SAME" else value for key, value in headers.items()}

    async def fetch():
        async with aiohttp.ClientSession(cookies={COOKIE: cookie} if cookie else None) as session:
            async with session.get(base + path, headers=headers, allow_redirects=False) as answer:
                return answer.status, answer.headers.get("Location"), answer.cookies.get(COOKIE)

    got, location, given = asyncio.run(fetch())
    assert got == status
    if status == 303:  # the token becomes a strict, HTTP-only cookie
        assert (location, given.value, given["samesite"]) == ("/", TOKEN, "Strict")
        assert given["httponly"]


BAD_MESSAGES = ["garbage", '{"type":', "[1, 2]", '{"type": "move", "joint": 1}',
                '{"type": "ping"' + " " * 5000 + "}", b"\x00\x01binary"]


def test_bad_messages_get_an_error_and_change_nothing(cell):
    async def talk(socket):
        hello, replies = await socket.receive_json(timeout=5), []
        for message in BAD_MESSAGES + ['{"type": "ping", "id": 7}']:
            await (socket.send_bytes if isinstance(message, bytes) else socket.send_str)(message)
            replies.append(await receive_until(socket, lambda m: m["type"] in ("error", "pong")))
        with contextlib.suppress(aiohttp.ClientOSError):  # closed before it has all of it
            await socket.send_str("x" * (2 << 20))  # beyond any frame the server reads
        closed = await socket.receive(timeout=5)
        while closed.type == aiohttp.WSMsgType.TEXT:  # a state pushed meanwhile
            closed = await socket.receive(timeout=5)
        return hello, replies, closed

    hello, replies, closed = asyncio.run(with_pages(cell.base, talk))
    assert [r["type"] for r in replies] == ["error"] * len(BAD_MESSAGES) + ["pong"]
    assert replies[-1]["id"] == 7
    assert closed.type == aiohttp.WSMsgType.CLOSE and closed.data == 1009
    again = asyncio.run(with_pages(cell.base, lambda socket: socket.receive_json(timeout=5)))
    assert again == dict(hello, robots=again["robots"]) and again["robots"] != []
    assert [r["address"] for r in again["robots"]] == [r["address"] for r in hello["robots"]]


def test_pages_see_the_link_go_and_come_back(cell):
    async def talk(socket):
        cell.sim.process.kill()
        await receive_until(socket, lambda m: fields(m).get("link") is False, 2)
        cell.sim.stop()
        cell.sim = Sim(cell.sim.address)
        await receive_until(socket, lambda m: fields(m).get("link") is True, 15)

    asyncio.run(with_pages(cell.base, talk))


# ---- commands from hand-made pages ----

DOUT3 = {"type": "dout", "robot": 0, "port": 3, "value": 1}
SERVO_ON = {"type": "servo_on", "robot": 0, "confirmed": True}
JOG_UP = {"type": "jog", "robot": 0, "axis": 3, "positive": True}
MODE, SPEED = {"type": "mode", "robot": 0}, {"type": "speed", "robot": 0, "value": 10}
ONLY_SHOWS = "this dashboard only shows"
# name: (dashboard, steps of (page, message, "done" or part of the error))
COMMAND_CASES = {
    "without control nothing passes": ("cell", [
        (0, DOUT3, ONLY_SHOWS), (0, SERVO_ON, ONLY_SHOWS), (0, JOG_UP, ONLY_SHOWS),
        (0, {"type": "take", "robot": 0}, ONLY_SHOWS),
    ]),
    "servo on needs teach mode": ("controlled", [
        (0, dict(MODE, value=1), "done"), (0, SERVO_ON, "needs teach mode"),
        (0, dict(MODE, value=0), "done"),
    ]),
    "bad arguments are answered": ("controlled", [
        (0, dict(SERVO_ON, confirmed=False), "needs the confirmation"),
        (0, dict(SERVO_ON, confirmed="yes"), "needs the confirmation"),
        (0, dict(DOUT3, port="3"), "port must be an int"), (0, dict(DOUT3, value=7), "status is 7"),
        (0, {"type": "dout", "robot": 0}, "dout needs port, value"),
        (0, dict(DOUT3, robot=4), "no such robot"), (0, dict(DOUT3, robot=True), "no such robot"),
        (0, dict(SPEED, value=[1]), "speed must be an int"),
        (0, {"type": "run_job", "robot": 0, "name": None}, "name"),
        (0, dict(JOG_UP, axis=9), "a jog needs an axis"),
        (0, dict(JOG_UP, positive=1), "a jog needs an axis"),
    ]),
    "a flood is cut short": ("controlled", [(0, [SPEED] * 40, "busy")]),
}


@pytest.mark.parametrize("case", list(COMMAND_CASES))
def test_refused_commands_change_nothing(request, case):
    name, steps = COMMAND_CASES[case]
    cell = request.getfixturevalue(name)

    async def ask(socket, message):
        # The answer to one message; for a list of them sent at once, the first refusal.
        messages = message if isinstance(message, list) else [message]
        for one in messages:
            await socket.send_str(json.dumps(one))
        replies = [await receive_until(socket, lambda m: m["type"] in ("error", "done"), 5)
                   for _ in messages]
        return ([reply for reply in replies if reply["type"] == "error"] or replies)[0]

    async def talk(*pages):
        return [await ask(pages[page], message) for page, message, _ in steps]

    replies = asyncio.run(with_pages(cell.base, talk, 2))
    for (_, message, expected), reply in zip(steps, replies):
        assert reply["type"] == ("done" if expected == "done" else "error"), (message, reply)
        assert expected in reply.get("message", "done"), (message, reply)
    assert (cell.robot.get_dout()[2], cell.robot.get_din()[2]) == (0, 0)
    assert cell.robot.get_servo_status() != kelvo.ServoStatus.RUNNING


# ---- jogs: they move only while held ----

def ready_to_jog(robot):
    if robot.get_current_mode() != kelvo.Mode.TEACH:  # a change of mode drops the servo
        robot.set_current_mode(kelvo.Mode.TEACH)
    robot.set_current_coord(kelvo.Coord.CARTESIAN)
    robot.set_jogging_speed(10)
    if robot.get_servo_status() != kelvo.ServoStatus.RUNNING:
        switch_servo_on(robot.servo_power_on, robot)


def switch_servo_on(press, robot):
    for _ in range(10):  # the enabling switch may come before the servo is ready: press again
        press()
        time.sleep(0.5)
        if robot.get_servo_status() == kelvo.ServoStatus.RUNNING:
            return
    pytest.fail("the servo does not run")


async def jog_stops(robot, caplog, start, end, reason):
    # Jogs up Z by start(), ends the hold by end() once Z rises, and checks that the robot stopped
    # soon, for reason; how soon is recorded in the build tree.
    caplog.set_level(logging.INFO, logger="kelvo.dashboard")
    z = lambda: asyncio.to_thread(  # noqa: E731
        lambda: robot.get_current_position(kelvo.Coord.CARTESIAN)[2])
    low, deadline = await z(), time.monotonic() + 5
    start()
    while await z() < low + 1.0:
        assert time.monotonic() < deadline, "Z does not move up"
    ended = time.monotonic()
    end()
    last, moved = await z(), time.monotonic()
    while time.monotonic() - moved < 0.5 and time.monotonic() - ended < 3:
        if (now := await z()) != last:
            last, moved = now, time.monotonic()
    stops = [r.getMessage() for r in caplog.records if "stopped" in r.getMessage()]
    assert stops and stops[-1].endswith("jog axis 3+ stopped: %s: ok" % reason)
    assert moved - ended < 0.8, "the jog went on for %.2f s" % (moved - ended)
    figures = BUILD / "dashboard-jog-stops.json"
    known = json.loads(figures.read_text()) if figures.exists() else {}
    figures.write_text(json.dumps(dict(known, **{reason: round(moved - ended, 3)})))


@pytest.mark.parametrize("end, reason", [
    ({"type": "jog_stop", "robot": 0, "reason": "a\nforged line"}, "released"),
    (None, "no keep-alive"),
    ("close", "page closed"),
])
def test_a_jog_ends_with_its_hold(controlled, caplog, end, reason):
    ready_to_jog(controlled.robot)

    async def talk(socket):
        send = lambda message: asyncio.ensure_future(socket.send_str(json.dumps(message)))  # noqa
        send({"type": "take", "robot": 0})

        async def keep_alive():
            while True:
                send({"type": "jog_alive", "robot": 0})
                await asyncio.sleep(0.1)

        keeping = []
        start = lambda: (send(JOG_UP), keeping.append(asyncio.ensure_future(keep_alive())))  # noqa
        finish = lambda: (keeping[0].cancel(), end and asyncio.ensure_future(  # noqa: E731
            socket.close() if end == "close" else socket.send_str(json.dumps(end))))
        await jog_stops(controlled.robot, caplog, start, finish, reason)

    asyncio.run(with_pages(controlled.base, talk))


# ---- the page in a real browser ----

CHROMIUM, DRIVER = shutil.which("chromium"), shutil.which("chromedriver")


@pytest.fixture(scope="module")
def browser(tmp_path_factory):
    if not (CHROMIUM and DRIVER):
        pytest.skip("chromium is not installed")
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


def test_page_walk(cell, controlled, browser, caplog):
    # Without control the page only shows; with it, it toggles an output, asks before servo on,
    # shows a move, an alarm and an output, yields and takes back control, and a jog stops when its
    # button is released or the page hidden.
    from selenium.webdriver import ActionChains
    from selenium.webdriver.common.by import By

    page = lambda script: browser.execute_script(  # noqa: E731
        "const p = window.kelvoPanels && window.kelvoPanels.get(0); if (!p) return null; " + script)
    shown = lambda selector: page("return Array.from(p.root.querySelectorAll(%s), e =>"  # noqa
                                  " e.textContent);" % json.dumps(selector))
    element = lambda selector: browser.find_element(By.CSS_SELECTOR, selector)  # noqa: E731
    click = lambda selector: element(selector).click()  # noqa: E731

    browser.get(cell.base + "/")
    until(lambda: (shown(".cartesian td") or [""])[0] == "500.000", 10, "the position")
    assert page("return p.root.querySelectorAll('.controls, button, select').length;") == 0

    robot = controlled.robot
    if robot.get_servo_status() == kelvo.ServoStatus.RUNNING:  # after the jogs above
        robot.servo_power_off()
    browser.get(controlled.base + "/")
    until(lambda: shown(".holder") == ["control free"], 10, "the controls")
    lamp = lambda group: page("return p.lamps.%s[2].className;" % group)  # noqa: E731
    click(".dout .lamp:nth-child(3)")
    until(lambda: lamp("din") == "lamp on", 5, "input 3 lit")
    click(".dout .lamp:nth-child(3)")
    until(lambda: lamp("din") == "lamp", 5, "input 3 dark again")

    click('[data-command="servo_on"]')
    time.sleep(0.5)
    assert robot.get_servo_status() != kelvo.ServoStatus.RUNNING
    assert shown(".holder") == ["you have control"]
    switch_servo_on(lambda: (click('[data-command="servo_on"]'), click(".confirm-yes")), robot)
    commands = [line for line in shown(".log li") if "servo_on" in line]
    assert commands[0].endswith("%s: servo_on: ok" % browser.execute_script("return me;"))

    target = [40.0, 15.0, -10.0, 0.0, 30.0, 0.0]
    robot.robot_movj(target, 20, kelvo.Coord.JOINT)
    until(lambda: 1.0 < float(shown(".joints td")[0]) < 39.0, 5, "joint 1 moving")
    robot.wait_until_stopped(target, kelvo.Coord.JOINT)
    until(lambda: shown(".joints td")[0] == "40.000", 5, "joint 1 at the target")
    assert page("return [Math.max(...p.plot.data[1]), Math.max(...p.plot.data[5])];") == [40, 30]
    (BUILD / "dashboard-figures.json").write_text(
        json.dumps(browser.execute_script("return window.kelvoStats();")))

    controlled.sim.command("alarm 1")
    until(lambda: "0x6010 ERROR" in (shown(".log li") or [""])[0], 1.0, "the alarm on top")
    robot.set_dout(5, 1)
    lit = "return Array.from(p.root.querySelectorAll('.dout .lamp'), e => e.className);"
    until(lambda: ["on" in lamp.split() for lamp in page(lit)] == [i == 4 for i in range(16)], 2,
          "output 5 lit")
    browser.save_screenshot(str(BUILD / "dashboard.png"))
    controlled.sim.command("clear 1")
    robot.set_dout(5, 0)

    async def take_and_take_back(other):
        await other.send_str(json.dumps({"type": "take", "robot": 0}))
        until(lambda: shown(".holder")[0].startswith("control held by 127."), 5, "the other")
        assert page("return p.root.querySelector('.commands').disabled;")
        click(".take")
        until(lambda: shown(".holder") == ["you have control"], 5, "taken back")
        await other.send_str(json.dumps(DOUT3))  # one page controls at a time
        refused = await receive_until(other, lambda m: m["type"] == "error", 5)
        assert "holds control; take over first" in refused["message"], refused

    asyncio.run(with_pages(controlled.base, take_and_take_back))

    ready_to_jog(robot)
    z_up = element('.jog-button[data-axis="3"][data-positive="true"]')
    hold = lambda: ActionChains(browser).click_and_hold(z_up).perform()  # noqa: E731
    release = ActionChains(browser).release().perform
    asyncio.run(jog_stops(robot, caplog, hold, release, "released"))
    hide = ("Object.defineProperty(document, 'hidden', {value: true});"
            " document.dispatchEvent(new Event('visibilitychange'));")
    asyncio.run(jog_stops(robot, caplog, hold, lambda: browser.execute_script(hide), "hidden"))
    ActionChains(browser).release().perform()
