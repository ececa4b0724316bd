"""The dashboard's web server: the page, its files and one WebSocket per open page.

aiohttp runs in a thread of its own with its own event loop; the panels publish into it from
their threads through Hub.publish."""

import asyncio
import collections
import json
import threading
from pathlib import Path
from typing import Any, Awaitable, Callable, Deque, List, Optional, Set, Tuple

from aiohttp import WSMsgType, web

from . import access
from .control import LOGGER, MESSAGES, Client, Control
from .panel import Message

STATIC = Path(__file__).resolve().parent / "static"
FILES = {  # path: (file, content type); nothing else is served
    "/": ("index.html", "text/html"),
    "/app.js": ("app.js", "text/javascript"),
    "/app.css": ("app.css", "text/css"),
    "/uplot/uPlot.iife.min.js": ("uplot/uPlot.iife.min.js", "text/javascript"),
    "/uplot/uPlot.min.css": ("uplot/uPlot.min.css", "text/css"),
}
HEADERS = {
    "Content-Security-Policy": "default-src 'self'; style-src 'self' 'unsafe-inline'; "
    "frame-ancestors 'none'",
    "X-Content-Type-Options": "nosniff",
    "Referrer-Policy": "no-referrer",
    "Cache-Control": "no-store",
}
HISTORY_SECONDS = 30.0
LOG_LINES = 200
CLIENT_BACKLOG = 512  # messages waiting for one page; a page further behind starts afresh
MAX_MESSAGE = 4096  # characters of a message from a page; longer ones are answered with an error
MAX_FRAME = 1 << 20  # bytes; aiohttp closes the socket (1009) beyond this

Handler = Callable[[web.Request], Awaitable[web.StreamResponse]]


class RobotView:
    """What a newly opened page needs of one controller: its state, the last 30 s of joints and
    the log."""

    def __init__(self, index: int, address: str) -> None:
        self.index = index
        self.address = address
        self.state: Message = {"link": False}
        self.history: Deque[Tuple[float, List[float]]] = collections.deque()
        self.log: Deque[Message] = collections.deque(maxlen=LOG_LINES)

    def apply(self, message: Message) -> None:
        if message["type"] == "log":
            self.log.append(message["entry"])
            return
        fields = message["fields"]
        self.state.update(fields)
        if "joints" in fields:
            when = message["t"]
            self.history.append((when, fields["joints"]))
            while self.history and self.history[0][0] < when - HISTORY_SECONDS:
                self.history.popleft()

    def snapshot(self) -> Message:
        return {
            "robot": self.index,
            "address": self.address,
            "state": self.state,
            "history": [[when, joints] for when, joints in self.history],
            "log": list(self.log),
        }


class Hub:
    """The messages of every panel, passed to every open page; lives on the server's loop."""

    def __init__(self, addresses: List[str], control: bool = False) -> None:
        self.views = [RobotView(index, address) for index, address in enumerate(addresses)]
        self.control = control
        self.clients: Set["asyncio.Queue[Optional[str]]"] = set()
        self.loop: Optional[asyncio.AbstractEventLoop] = None

    def publish(self, message: Message) -> None:
        """From any thread; never blocks."""
        loop = self.loop
        if loop is not None and not loop.is_closed():
            try:
                loop.call_soon_threadsafe(self._dispatch, message)
            except RuntimeError:
                pass  # the loop closed meanwhile: the server is going away

    def hello(self) -> str:
        robots = [view.snapshot() for view in self.views]
        return json.dumps({"type": "hello", "control": self.control, "robots": robots})

    def _dispatch(self, message: Message) -> None:
        self.views[message["robot"]].apply(message)
        text = json.dumps(message)
        for client in list(self.clients):
            try:
                client.put_nowait(text)
            except asyncio.QueueFull:
                self.resend(client)

    def resend(self, client: "asyncio.Queue[Optional[str]]") -> None:
        """A page that fell behind gets the whole state again rather than an endless backlog."""
        while not client.empty():
            client.get_nowait()
        client.put_nowait(self.hello())


class BadMessage(ValueError):
    """A message from a page that is none the dashboard understands."""


def parse(data: Any) -> Message:
    """A message from a page: "ping", "hello", or one of the commands of Control."""
    if not isinstance(data, str):
        raise BadMessage("only text messages are understood")
    if len(data) > MAX_MESSAGE:
        raise BadMessage("message longer than %d characters" % MAX_MESSAGE)
    try:
        request = json.loads(data)
    except ValueError:
        raise BadMessage("not JSON") from None
    if not isinstance(request, dict) or request.get("type") not in ("ping", "hello") + MESSAGES:
        raise BadMessage('expected {"type": "ping"}, {"type": "hello"} or a command')
    return request


def pong(request: Message) -> Message:
    ping_id = request.get("id")
    return {"type": "pong", "id": ping_id if isinstance(ping_id, (int, str)) else None}


def peer(request: web.Request) -> str:
    """The page's address and port, as the log shows it."""
    address = request.transport.get_extra_info("peername") if request.transport else None
    if not address:
        return str(request.remote)
    host, port = address[:2]
    return ("[%s]:%d" if ":" in host else "%s:%d") % (host, port)


class Server:
    """The aiohttp application of one dashboard."""

    def __init__(self, hub: Hub, token: Optional[str], control: Optional[Control] = None) -> None:
        self.hub = hub
        self.token = token
        self.control = control
        self.sockets: Set[web.WebSocketResponse] = set()
        self.app = web.Application(middlewares=[self._guard])
        self.app.on_shutdown.append(self._close_sockets)
        self.app.router.add_get("/ws", self._websocket)
        for path in FILES:
            self.app.router.add_get(path, self._file)

    @web.middleware
    async def _guard(self, request: web.Request, handler: Handler) -> web.StreamResponse:
        response = await self._admit(request)
        if response is None:  # not `or`: a response is a mapping, false while it holds nothing
            response = await handler(request)
        if not isinstance(response, web.WebSocketResponse):
            response.headers.update(HEADERS)
        return response

    async def _admit(self, request: web.Request) -> Optional[web.StreamResponse]:
        """None when the request may pass; else the answer that refuses it."""
        if self.token is None:
            if not access.is_local_host_header(request.host):
                return web.Response(status=403, text="this dashboard answers on loopback only\n")
            return None
        if access.same_secret(request.query.get("token"), self.token):
            if request.path == "/ws":
                return None
            # Into a cookie, and out of the address bar and the history.
            found = web.Response(status=303, headers={"Location": request.path})
            found.set_cookie(
                access.COOKIE, self.token, httponly=True, samesite="Strict", path="/"
            )
            return found
        if access.same_secret(request.cookies.get(access.COOKIE), self.token):
            return None
        return web.Response(status=401, text="open the address with ?token=TOKEN\n")

    async def _file(self, request: web.Request) -> web.StreamResponse:
        name, content_type = FILES[request.path]
        return web.FileResponse(STATIC / name, headers={"Content-Type": content_type})

    async def _websocket(self, request: web.Request) -> web.StreamResponse:
        origin = request.headers.get("Origin")
        if not access.same_origin(origin, request.host, request.scheme):
            return web.Response(status=403, text="cross-origin WebSocket refused\n")
        socket = web.WebSocketResponse(heartbeat=10.0, max_msg_size=MAX_FRAME)
        await socket.prepare(request)
        self.sockets.add(socket)
        outbox: "asyncio.Queue[Optional[str]]" = asyncio.Queue(CLIENT_BACKLOG)

        def send(text: str) -> None:
            if outbox.full():
                self.hub.resend(outbox)
            else:
                outbox.put_nowait(text)

        client = Client(peer(request), lambda reply: send(json.dumps(reply)))
        outbox.put_nowait(self.hub.hello())
        outbox.put_nowait(json.dumps({"type": "you", "address": client.address}))
        self.hub.clients.add(outbox)
        sender = asyncio.ensure_future(_send_all(socket, outbox))
        try:
            async for message in socket:
                if message.type not in (WSMsgType.TEXT, WSMsgType.BINARY):
                    break
                self._receive(client, message.data, send)
        finally:
            if self.control is not None:
                self.control.leave(client)
            self.hub.clients.discard(outbox)
            self.sockets.discard(socket)
            sender.cancel()
        return socket

    def _receive(self, client: Client, data: Any, send: Callable[[str], None]) -> None:
        try:
            request = parse(data)
        except BadMessage as error:
            client.reply({"type": "error", "message": str(error)})
            return
        if request["type"] == "hello":
            send(self.hub.hello())
        elif request["type"] == "ping":
            client.reply(pong(request))
        elif self.control is None:
            LOGGER.warning("%s sent %s to a dashboard without control", client.address,
                           request["type"])
            client.reply({"type": "error", "command": request["type"],
                          "message": "this dashboard only shows: start it with --control"})
        else:
            self.control.handle(client, request)

    async def _close_sockets(self, app: web.Application) -> None:
        for socket in list(self.sockets):
            await socket.close(code=1001, message=b"dashboard stopped")
        if self.control is not None:
            self.control.stop_jogs()


async def _send_all(socket: web.WebSocketResponse, outbox: "asyncio.Queue[Optional[str]]") -> None:
    try:
        while True:
            text = await outbox.get()
            if text is None:
                break
            await socket.send_str(text)
    except (ConnectionError, RuntimeError):
        pass  # the page went away; the receiving side ends the handler


class ServerThread:
    """Runs a Server on an event loop in a thread of its own."""

    def __init__(self, server: Server, host: str, port: int) -> None:
        self._server = server
        self._host, self._port = host, port
        self._loop = asyncio.new_event_loop()
        self._runner = web.AppRunner(server.app, handle_signals=False, access_log=None)
        self._ready = threading.Event()
        self._failure: Optional[BaseException] = None
        self._thread = threading.Thread(target=self._run, name="kelvo-dashboard-server")
        self.address: Tuple[str, int] = (host, port)

    def start(self) -> None:
        """Returns once the server listens; OSError when it cannot."""
        self._thread.start()
        self._ready.wait()
        if self._failure is not None:
            self._thread.join()
            raise self._failure

    def stop(self) -> None:
        if self._thread.is_alive():
            self._loop.call_soon_threadsafe(self._loop.stop)
            self._thread.join()

    def _run(self) -> None:
        asyncio.set_event_loop(self._loop)
        try:
            self._loop.run_until_complete(self._listen())
        except BaseException as failure:  # handed to start()
            self._failure = failure
            self._ready.set()
            self._loop.close()
            return
        self._server.hub.loop = self._loop
        self._ready.set()
        self._loop.run_forever()
        self._server.hub.loop = None
        self._loop.run_until_complete(self._runner.cleanup())
        self._loop.close()

    async def _listen(self) -> None:
        await self._runner.setup()
        site = web.TCPSite(self._runner, self._host, self._port, shutdown_timeout=1.0)
        await site.start()
        self.address = self._runner.addresses[0][:2]
