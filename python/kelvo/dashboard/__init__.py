"""A live dashboard of controllers in the browser; it reads only, unless started with control.

    python3 -m kelvo.dashboard 192.168.1.10 [ADDR[:PORT] ...] [--listen 127.0.0.1:8080] [--token T]
        [--control]

or, from a script, for the script's own session (its events then go through kelvo.fanout):

    dashboard = kelvo.dashboard.serve(robot)
    print(dashboard.url)

Needs aiohttp (Debian: python3-aiohttp); import kelvo itself does not."""

from typing import List, Optional, Sequence, Tuple

from .._library import library
from ..robot import Robot
from .access import DEFAULT_LISTEN, AccessError, check_listen
from .control import Control
from .panel import Panel
from .server import Hub, Server, ServerThread

__all__ = ["AccessError", "Dashboard", "serve"]


class Dashboard:
    """A running dashboard: its web server and one panel per controller. stop() ends both; the
    sessions it opened itself are closed, a script's session is left open."""

    def __init__(
        self,
        server: ServerThread,
        panels: List[Panel],
        token: Optional[str],
        control: Optional[Control],
    ) -> None:
        self._server = server
        self._panels = panels
        self._token = token
        self._control = control

    @property
    def address(self) -> Tuple[str, int]:
        """The host and port the server listens on."""
        return self._server.address

    @property
    def url(self) -> str:
        """The address to open, with the token when one is needed."""
        host, port = self.address
        shown = "[%s]" % host if ":" in host else host
        query = "/?token=%s" % self._token if self._token is not None else "/"
        return "http://%s:%d%s" % (shown, port, query)

    def stop(self) -> None:
        self._server.stop()  # stops the jogs, before the sessions close
        if self._control is not None:
            self._control.close()
        for panel in self._panels:
            panel.stop()

    def __enter__(self) -> "Dashboard":
        return self

    def __exit__(self, *exc: object) -> None:
        self.stop()


def start(
    robots: Sequence[Robot] = (),
    addresses: Sequence[Tuple[str, int]] = (),
    listen: str = DEFAULT_LISTEN,
    token: Optional[str] = None,
    control: bool = False,
) -> Dashboard:
    """A dashboard of the given robots (shared) and of sessions it opens to addresses; with
    control, the page may command them."""
    host, port = check_listen(listen, token)
    if addresses:
        library()  # LibraryNotFoundError now rather than in a panel's thread
    names = [robot.address for robot in robots] + ["%s:%d" % address for address in addresses]
    hub = Hub(names, control)
    panels = [Panel(i, hub.publish, robot=robot) for i, robot in enumerate(robots)]
    panels += [
        Panel(len(robots) + i, hub.publish, address=address, port=number)
        for i, (address, number) in enumerate(addresses)
    ]
    commands = Control(len(panels), lambda i: panels[i].robot, hub.publish) if control else None
    server = ServerThread(Server(hub, token, commands), host, port)
    try:
        server.start()
    except BaseException:
        if commands is not None:
            commands.close()
        raise
    for panel in panels:
        panel.start()
    return Dashboard(server, panels, token, commands)


def serve(
    robot: Robot, listen: str = DEFAULT_LISTEN, token: Optional[str] = None, control: bool = False
) -> Dashboard:
    """Serves the script's session, sharing its events (see kelvo.fanout), and returns at once;
    with control, the page may command the robot. AccessError when listen is off this machine
    and no token is given; OSError when the address cannot be bound."""
    return start([robot], listen=listen, token=token, control=control)
