"""Who may see the dashboard: the listen address, the token and the origin of a WebSocket."""

import hashlib
import hmac
import ipaddress
from typing import Optional, Tuple
from urllib.parse import urlsplit

COOKIE = "kelvo_dashboard"
DEFAULT_LISTEN = "127.0.0.1:8080"


class AccessError(ValueError):
    """A listen address or token the dashboard refuses to start with."""


def split_address(text: str, default_port: int) -> Tuple[str, int]:
    """HOST[:PORT] or [V6]:PORT as (host, port); ValueError when malformed."""
    host, port = text, default_port
    if text.startswith("["):
        host, bracket, rest = text[1:].partition("]")
        if not bracket or (rest and not rest.startswith(":")):
            raise ValueError("malformed address %r" % text)
        if rest:
            port = int(rest[1:])
    elif text.count(":") == 1:
        host, port_text = text.split(":")
        port = int(port_text)
    if not host or not 0 <= port <= 65535:
        raise ValueError("malformed address %r" % text)
    return host, port


def is_loopback(host: str) -> bool:
    """Whether host names this machine only; a name other than localhost may resolve anywhere."""
    if host == "localhost":
        return True
    try:
        return ipaddress.ip_address(host).is_loopback
    except ValueError:
        return False


def check_listen(listen: str, token: Optional[str]) -> Tuple[str, int]:
    """The host and port to listen on; AccessError for an address off this machine without a
    token, or for a token too short to guess."""
    try:
        host, port = split_address(listen, 8080)
    except ValueError as error:
        raise AccessError(str(error)) from None
    if token is not None and len(token) < 8:
        raise AccessError("the token needs at least 8 characters")
    if token is None and not is_loopback(host):
        raise AccessError("listening on %s needs --token: the page shows a robot" % host)
    return host, port


def same_secret(given: Optional[str], token: str) -> bool:
    """Compares in constant time, so the answer's timing tells nothing about the token."""
    if given is None:
        return False
    # Digests of equal length: not even the token's length shows.
    return hmac.compare_digest(_digest(given), _digest(token))


def _digest(text: str) -> bytes:
    return hashlib.sha256(text.encode("utf-8", "surrogatepass")).digest()


def is_local_host_header(host_header: str) -> bool:
    """Whether a request names this machine; without a token a page from another site must not
    reach the dashboard through a name that points here (DNS rebinding)."""
    try:
        host, _ = split_address(host_header, 80)
    except ValueError:
        return False
    return is_loopback(host)


def same_origin(origin: Optional[str], host_header: str, scheme: str) -> bool:
    """Whether a WebSocket handshake comes from the dashboard's own page. Browsers always send
    Origin; a client without one is no page and may connect."""
    if origin is None:
        return True
    parts = urlsplit(origin)
    return parts.scheme == scheme and parts.netloc.lower() == host_header.lower()
