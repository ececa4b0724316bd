"use strict";
// One WebSocket brings the state; the page repaints at most once a frame.

const HISTORY = 30; // seconds of joints in the plot
const LOG_LINES = 200;
const PORTS = 16;
const COLOURS = ["#e53935", "#fb8c00", "#fdd835", "#43a047", "#1e88e5", "#8e24aa"];

const KEEPALIVE = 100; // ms between keep-alives while a jog button is held
const CONFIRM_SECONDS = 5;
const MODES = ["TEACH", "REMOTE", "RUN"];
const COORDS = ["JOINT", "CARTESIAN", "TOOL", "USER"];
const CARTESIAN_AXES = ["X", "Y", "Z", "RX", "RY", "RZ"];

const stats = { messages: 0, paints: [], delays: [], pending: [] };
const panels = new Map();
let dirty = false;
let socket = null;
let control = false; // whether the server takes commands
let me = null; // this page's address, as the server sees it
let jog = null; // the held jog button: { robot, timer }

function send(message) {
  if (socket && socket.readyState === WebSocket.OPEN) socket.send(JSON.stringify(message));
}

function startJog(robot, axis, positive) {
  stopJog("released");
  send({ type: "jog", robot, axis, positive });
  jog = { robot, timer: setInterval(() => send({ type: "jog_alive", robot }), KEEPALIVE) };
}

function stopJog(reason) {
  if (!jog) return;
  clearInterval(jog.timer);
  send({ type: "jog_stop", robot: jog.robot, reason });
  jog = null;
}

function nowSeconds() {
  return (performance.timeOrigin + performance.now()) / 1000;
}

function cells(row, count, className) {
  const list = [];
  for (let i = 0; i < count; i++) {
    const cell = document.createElement(className === "lamp" ? "span" : "td");
    if (className) cell.className = className;
    row.appendChild(cell);
    list.push(cell);
  }
  return list;
}

function format(value, digits) {
  return typeof value === "number" ? value.toFixed(digits) : "";
}

class Panel {
  constructor(snapshot) {
    const root = document.getElementById("panel").content.firstElementChild.cloneNode(true);
    this.root = root;
    this.state = {};
    this.link = root.querySelector(".link");
    root.querySelector(".address").textContent = snapshot.address;
    this.fields = root.querySelectorAll("[data-field]");
    this.joints = cells(root.querySelector(".joints"), 6);
    this.cartesian = cells(root.querySelector(".cartesian"), 6);
    this.lamps = { dout: cells(root.querySelector(".dout"), PORTS, "lamp"),
                   din: cells(root.querySelector(".din"), PORTS, "lamp") };
    this.analog = { aout: cells(root.querySelector(".aout"), PORTS),
                    ain: cells(root.querySelector(".ain"), PORTS) };
    this.logList = root.querySelector(".log");
    this.index = snapshot.robot;
    this.controls = root.querySelector(".controls");
    if (control) this.wire();
    else this.controls.remove(); // a dashboard that only shows has no buttons at all
    document.getElementById("panels").appendChild(root);
    this.data = [[], [], [], [], [], [], []];
    snapshot.history.forEach(([t, joints]) => this.sample(t, joints));
    const joint = (stroke, i) => ({ label: "J" + (i + 1), stroke, width: 1.5 });
    const series = [{}].concat(COLOURS.map(joint));
    const width = Math.max(300, root.clientWidth - 40);
    this.plot = new uPlot({ width, height: 220, series, scales: { x: { time: true } },
                            axes: [{}, { label: "°" }] }, this.data, root.querySelector(".plot"));
    this.apply(snapshot.state);
    snapshot.log.forEach((entry) => this.log(entry));
  }

  command(type, fields) {
    send(Object.assign({ type, robot: this.index }, fields));
  }

  wire() {
    const c = this.controls;
    const confirm = c.querySelector(".confirm");
    const read = { // what each command takes from the page
      servo_on: () => { // asks first; a confirmation left standing lapses
        confirm.hidden = false;
        clearTimeout(this.confirmLapse);
        this.confirmLapse = setTimeout(() => { confirm.hidden = true; }, CONFIRM_SECONDS * 1000);
        return null;
      },
      mode: (element) => ({ value: Number(element.value) }),
      coord: (element) => ({ value: Number(element.value) }),
      speed: () => ({ value: Number(c.querySelector(".speed").value) }),
      run_job: () => ({ name: c.querySelector(".job").value }),
    };
    c.querySelectorAll("[data-command]").forEach((element) => {
      const type = element.dataset.command;
      const event = element.tagName === "SELECT" ? "change" : "click";
      element.addEventListener(event, () => {
        const fields = read[type] ? read[type](element) : {};
        if (fields) this.command(type, fields);
      });
    });
    c.querySelector(".confirm-yes").addEventListener("click", () => {
      confirm.hidden = true;
      this.command("servo_on", { confirmed: true });
    });
    c.querySelector(".confirm-no").addEventListener("click", () => { confirm.hidden = true; });
    c.querySelector(".take").addEventListener("click", () => this.command("take", {}));
    this.lamps.dout.forEach((lamp, i) => {
      lamp.classList.add("toggle");
      lamp.addEventListener("click", () => {
        const on = (this.state.dout || [])[i] > 0;
        this.command("dout", { port: i + 1, value: on ? 0 : 1 });
      });
    });
    this.jogButtons = [];
    const row = c.querySelector(".jog");
    for (let axis = 1; axis <= 6; axis++) {
      for (const positive of [false, true]) {
        const button = document.createElement("button");
        button.className = "jog-button";
        button.dataset.axis = axis;
        button.dataset.positive = positive;
        button.addEventListener("pointerdown", (event) => {
          // Captured, the hold ends only when the pointer lets go, not when the page shifts.
          button.setPointerCapture(event.pointerId);
          startJog(this.index, axis, positive);
        });
        for (const end of ["pointerup", "pointercancel", "lostpointercapture"]) {
          button.addEventListener(end, () => stopJog("released"));
        }
        row.appendChild(button);
        this.jogButtons.push(button);
      }
    }
  }

  paintControls(s) {
    const held = s.holder && s.holder !== me;
    this.controls.querySelector(".holder").textContent =
      !s.holder ? "control free" : held ? `control held by ${s.holder}` : "you have control";
    this.controls.querySelector(".take").hidden = !held;
    this.controls.querySelector(".commands").disabled = Boolean(held);
    const selects = { mode: MODES.indexOf(s.mode), coord: COORDS.indexOf(s.coord) };
    for (const [type, value] of Object.entries(selects)) {
      const select = this.controls.querySelector(`select[data-command="${type}"]`);
      if (value >= 0 && document.activeElement !== select) select.value = String(value);
    }
    const names = s.coord === "JOINT" || s.coord === undefined ? null : CARTESIAN_AXES;
    this.jogButtons.forEach((button) => {
      const axis = Number(button.dataset.axis);
      button.textContent = (names ? names[axis - 1] : "J" + axis) +
                           (button.dataset.positive === "true" ? "+" : "−");
    });
  }

  sample(t, joints) {
    this.data[0].push(t);
    joints.forEach((value, i) => this.data[i + 1].push(value));
    let old = 0;
    while (old < this.data[0].length && this.data[0][old] < t - HISTORY) old++;
    if (old) this.data.forEach((column) => column.splice(0, old));
  }

  apply(fields, t) {
    Object.assign(this.state, fields);
    if (fields.joints && t !== undefined) this.sample(t, fields.joints);
    this.dirty = true;
  }

  log(entry) {
    const item = document.createElement("li");
    const time = document.createElement("time");
    time.textContent = new Date(entry.t * 1000).toLocaleTimeString();
    item.appendChild(time);
    let text;
    if (entry.kind === "alarm") {
      item.className = "alarm " + entry.severity;
      text = `alarm ${entry.number === null ? "?" : "0x" + entry.number.toString(16)} ` +
             `${entry.severity}: ${entry.text || ""}`;
    } else if (entry.kind === "link") {
      item.className = "link " + (entry.up ? "up" : "down");
      text = `link ${entry.up ? "up" : "down"}${entry.text ? ": " + entry.text : ""}`;
    } else if (entry.kind === "command") {
      item.className = "command" + (entry.result === "ok" ? "" : " refused");
      text = `${entry.client}: ${entry.text}: ${entry.result}`;
    } else if (entry.kind === "transfer") {
      item.className = "transfer";
      text = `transfer ${entry.stage} ${entry.text || ""} ${entry.done}/${entry.total} bytes`;
    } else {
      item.className = "overflow";
      text = `${entry.dropped} events dropped`;
    }
    item.appendChild(document.createTextNode(text));
    this.logList.insertBefore(item, this.logList.firstChild);
    while (this.logList.children.length > LOG_LINES) this.logList.lastChild.remove();
  }

  paint() {
    const s = this.state;
    const up = s.link === true && !this.stale;
    this.root.classList.toggle("down", !up);
    this.link.classList.toggle("down", !up);
    const link = s.closed ? "session closed" : up ? "link up" : "link down";
    this.link.textContent = this.stale ? "no server" : link;
    this.fields.forEach((cell) => { cell.textContent = s[cell.dataset.field] ?? ""; });
    (s.joints || []).forEach((v, i) => { this.joints[i].textContent = format(v, 3); });
    (s.cartesian || []).forEach((v, i) => { this.cartesian[i].textContent = format(v, 3); });
    for (const [key, lamps] of Object.entries(this.lamps)) {
      (s[key] || []).forEach((v, i) => lamps[i].classList.toggle("on", v > 0));
    }
    for (const [key, row] of Object.entries(this.analog)) {
      (s[key] || []).forEach((v, i) => { row[i].textContent = format(v, 2); });
    }
    if (control) this.paintControls(s);
    this.plot.setData(this.data);
    this.dirty = false;
  }
}

function receive(message) {
  stats.messages++;
  if (message.type === "you") {
    me = message.address;
    panels.forEach((panel) => { panel.dirty = true; });
  } else if (message.type === "hello") {
    stopJog("released");
    control = message.control === true;
    document.getElementById("panels").replaceChildren();
    panels.clear();
    message.robots.forEach((snapshot) => panels.set(snapshot.robot, new Panel(snapshot)));
  } else if (message.type === "state") {
    panels.get(message.robot)?.apply(message.fields, message.t);
    stats.pending.push(message.t);
  } else if (message.type === "log") {
    panels.get(message.robot)?.log(message.entry);
  }
  if (!dirty) {
    dirty = true;
    requestAnimationFrame(paint);
  }
}

function paint() {
  dirty = false;
  panels.forEach((panel) => { if (panel.dirty) panel.paint(); });
  const now = nowSeconds();
  if (stats.pending.length) {
    stats.paints.push(now);
    stats.pending.forEach((t) => stats.delays.push((now - t) * 1000));
    stats.pending = [];
  }
  while (stats.paints.length && stats.paints[0] < now - 5) stats.paints.shift();
  if (stats.delays.length > 2000) stats.delays.splice(0, stats.delays.length - 2000);
}

// Update rate (paints with new data per second, over the last 5 s) and the delay from the
// report reaching the library to its paint, in milliseconds.
window.kelvoStats = function () {
  const sorted = stats.delays.slice().sort((a, b) => a - b);
  const at = (q) => {
    if (!sorted.length) return null;
    return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
  };
  const paints = stats.paints;
  const span = paints.length > 1 ? paints[paints.length - 1] - paints[0] : 0;
  return { rate: span > 0 ? (paints.length - 1) / span : 0, messages: stats.messages,
           samples: sorted.length, median: at(0.5), p95: at(0.95), max: at(1) };
};
window.kelvoPanels = panels;

setInterval(() => {
  const s = window.kelvoStats();
  document.getElementById("stats").textContent =
    `${s.rate.toFixed(1)} updates/s · report to paint ` +
    `${s.median === null ? "-" : s.median.toFixed(0)} ms`;
}, 1000);

function connect() {
  const server = document.getElementById("server");
  const scheme = location.protocol === "https:" ? "wss://" : "ws://";
  socket = new WebSocket(scheme + location.host + "/ws");
  socket.onopen = () => { server.textContent = "server"; server.classList.remove("down"); };
  socket.onmessage = (event) => receive(JSON.parse(event.data));
  socket.onclose = () => {
    stopJog("released");
    panels.forEach((panel) => { panel.stale = true; panel.paint(); });
    server.textContent = "server lost";
    server.classList.add("down");
    setTimeout(connect, 1000);
  };
}

window.addEventListener("DOMContentLoaded", connect);
document.addEventListener("visibilitychange", () => { if (document.hidden) stopJog("hidden"); });
window.addEventListener("pagehide", () => stopJog("hidden"));
window.addEventListener("blur", () => stopJog("released")); // a release elsewhere may never come
