"use strict";
// One WebSocket brings the state; the page repaints at most once a frame.

const HISTORY = 30; // seconds of joints in the plot
const LOG_LINES = 200;
const PORTS = 16;
const COLOURS = ["#e53935", "#fb8c00", "#fdd835", "#43a047", "#1e88e5", "#8e24aa"];

const stats = { messages: 0, paints: [], delays: [], pending: [] };
const panels = new Map();
let dirty = false;

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
    this.plot.setData(this.data);
    this.dirty = false;
  }
}

function receive(message) {
  stats.messages++;
  if (message.type === "hello") {
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
  const socket = new WebSocket(scheme + location.host + "/ws");
  socket.onopen = () => { server.textContent = "server"; server.classList.remove("down"); };
  socket.onmessage = (event) => receive(JSON.parse(event.data));
  socket.onclose = () => {
    panels.forEach((panel) => { panel.stale = true; panel.paint(); });
    server.textContent = "server lost";
    server.classList.add("down");
    setTimeout(connect, 1000);
  };
}

window.addEventListener("DOMContentLoaded", connect);
