// The exam-room clock in the browser. It shows the office computer's time, not this computer's:
// the offset to the server is measured on load and every minute (several round trips; the one
// with the least delay wins), and the display runs on from the last state it received, so a short
// network loss goes unnoticed. After a minute without the server it says so.
//
// Server times count milliseconds of the office's local time since 1970-01-01 00:00 local, so
// they are turned into a time of day with the UTC functions of Date: no time zone enters.
"use strict";

const MEASURE_EVERY_MS = 60000;
const STATE_EVERY_MS = 5000;
const ROUND_TRIPS = 5;
const LOST_AFTER_MS = 60000;
const LAST_STRETCH_MS = 15 * 60 * 1000;
const WEEKDAYS = ["星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"];
const PHASES = { before: "距开考", running: "考试中", ended: "已结束", none: "" };
const LOST_TEXT = "与考务办公室的电脑失去连接，显示的时间可能不准：";

let offsetMs = null;  // server time minus local monotonic time
let exams = [];
let lastContact = null;  // local monotonic time of the last answer

function localNow() {
  return performance.timeOrigin + performance.now();
}

function serverNow() {
  return localNow() + offsetMs;
}

function two(n) {
  return String(n).padStart(2, "0");
}

function clockText(ms) {
  const d = new Date(ms);
  return `${two(d.getUTCHours())}:${two(d.getUTCMinutes())}:${two(d.getUTCSeconds())}`;
}

function minuteText(ms) {
  const d = new Date(ms);
  return `${two(d.getUTCHours())}:${two(d.getUTCMinutes())}`;
}

function durationText(ms) {
  const s = Math.max(0, Math.floor(ms / 1000));
  return `${two(Math.floor(s / 3600))}:${two(Math.floor(s / 60) % 60)}:${two(s % 60)}`;
}

async function fetchState() {
  const sent = localNow();
  // A room page asks for its room's clock (room.js); else the school's.
  const path = typeof roomStatePath === "function" ? roomStatePath() : "state";
  const response = await fetch(path, { cache: "no-store" });
  if (!response.ok) {
    throw new Error(`state ${response.status}`);
  }
  const state = await response.json();
  const received = localNow();
  return { state, delay: received - sent, offset: state.serverTime - (sent + received) / 2 };
}

function take(answer) {
  exams = Array.isArray(answer.state.exams) ? answer.state.exams : [];
  lastContact = localNow();
  if (typeof roomAnswered === "function") {
    roomAnswered(answer);
  }
}

async function measure() {
  let best = null;
  for (let i = 0; i < ROUND_TRIPS; ++i) {
    try {
      const answer = await fetchState();
      if (best === null || answer.delay < best.delay) {
        best = answer;
      }
    } catch (e) {
      // One lost round trip leaves the others.
    }
  }
  if (best !== null) {
    offsetMs = best.offset;
    take(best);
  }
}

async function refresh() {
  try {
    const answer = await fetchState();
    // The state, and the offset only while none was measured yet.
    if (offsetMs === null) {
      offsetMs = answer.offset;
    }
    take(answer);
  } catch (e) {
    // Shown by render once it has lasted a minute.
  }
}

// The same choice as the office program: the exam under way (earliest start), else the next to
// start, else the one that ended last.
function pick(now) {
  let shown = null;
  for (const e of exams) {
    if (e.startMs <= now && now < e.endMs && (shown === null || e.startMs < shown.startMs)) {
      shown = e;
    }
  }
  if (shown !== null) {
    return { exam: shown, phase: "running", left: shown.endMs - now };
  }
  for (const e of exams) {
    if (e.startMs > now && (shown === null || e.startMs < shown.startMs)) {
      shown = e;
    }
  }
  if (shown !== null) {
    return { exam: shown, phase: "before", left: shown.startMs - now };
  }
  for (const e of exams) {
    if (shown === null || e.endMs >= shown.endMs) {
      shown = e;
    }
  }
  return { exam: shown, phase: shown === null ? "none" : "ended", left: 0 };
}

function setText(id, text) {
  const element = document.getElementById(id);
  if (element.textContent !== text) {
    element.textContent = text;
  }
}

function render() {
  const status = document.getElementById("status");
  if (offsetMs === null) {
    status.hidden = false;
    setText("status", "正在连接考务办公室的电脑……");
    return;
  }
  // Whole seconds, as the office program counts: the clock and the time left always add up.
  const now = Math.floor(serverNow() / 1000) * 1000;
  const d = new Date(now);
  setText("date", `${d.getUTCFullYear()}年${two(d.getUTCMonth() + 1)}月${two(d.getUTCDate())}日`);
  setText("weekday", WEEKDAYS[d.getUTCDay()]);
  setText("clock", clockText(now));
  const shown = pick(now);
  const exam = document.getElementById("exam");
  exam.classList.toggle("none", shown.exam === null);
  exam.classList.toggle("last-stretch", shown.phase === "running" && shown.left <= LAST_STRETCH_MS);
  if (shown.exam !== null) {
    setText("subject", shown.exam.subject);
    setText("start", minuteText(shown.exam.startMs));
    setText("end", minuteText(shown.exam.endMs));
  }
  setText("phase", PHASES[shown.phase]);
  setText("remaining", shown.phase === "ended" || shown.phase === "none" ? "" : durationText(shown.left));
  const silent = localNow() - lastContact;
  status.hidden = silent <= LOST_AFTER_MS;
  if (!status.hidden) {
    setText("status", LOST_TEXT + `${Math.floor(silent / 60000)} 分钟`);
  }
}

// Each render lands just after a whole second of the server's clock.
function scheduleRender() {
  const wait = offsetMs === null ? 200 : 1005 - (serverNow() % 1000);
  setTimeout(() => {
    render();
    scheduleRender();
  }, wait);
}

async function main() {
  await measure();
  render();
  scheduleRender();
  setInterval(measure, MEASURE_EVERY_MS);
  setInterval(refresh, STATE_EVERY_MS);
}

main();
