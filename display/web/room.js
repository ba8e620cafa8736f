// The room page's own part: which room this screen is in, the room's report to the office, and
// the run's cues played here at the office's second.
//
// The room is given in the address (…/?room=12) or entered once on the page (kept in this
// browser's local storage). With a room, the clock's requests go to "room" instead of "state":
// the office answers with the clock as this room sees it (its extra-time group's end) and the
// run's cues with their moments in office time, and takes the request as the room's report (its
// corrected clock when sent, its last round trip, whether its sound is on).
//
// Browsers let a page make sound only after a click (unless the browser is set to allow it):
// 开启声音 starts the audio, then every recording the cues need is loaded ahead and each cue is
// started on the audio clock at its moment by the corrected clock. The page keeps its own log of
// when each cue started (#cue-log).
"use strict";

const ROOM_STORE_KEY = "exambell.room";
const ROOM_MAX_CHARACTERS = 32;
// A cue is handed to the audio clock this long before its moment; one that could not start
// within LATE_LIMIT_MS of it is logged as missed rather than played late.
const SCHEDULE_AHEAD_MS = 2500;
const LATE_LIMIT_MS = 1000;
const CUE_NAMES = ["", "开考前15分钟", "开考前8分钟", "开考前5分钟", "开考", "结束前15分钟", "结束",
  "每隔15分钟"];

const room = {
  name: null,
  group: "",
  roundTrip: 0,
  cues: [],
  recordings: {},
  context: null,
  buffers: new Map(),  // src -> AudioBuffer, "loading" or "failed"
  handled: new Set(),  // "cue@atMs" scheduled, played or missed
  notes: new Map(),    // cue -> text
  lastLog: null,       // the last entry of the cue log, for the office
};

function roomNameFromAddress() {
  const name = new URLSearchParams(location.search).get("room");
  return name === null ? null : name.trim();
}

function validRoomName(name) {
  return typeof name === "string" && name.length > 0 && [...name].length <= ROOM_MAX_CHARACTERS &&
    !/[\u0000-\u001f\u007f]/.test(name);
}

function storedRoomName() {
  try {
    return localStorage.getItem(ROOM_STORE_KEY);
  } catch (e) {
    return null;
  }
}

function roomNow() {
  return offsetMs === null ? 0 : serverNow();
}

function soundState() {
  if (room.context === null || room.context.state !== "running") {
    return "off";
  }
  for (const v of room.buffers.values()) {
    if (v === "failed") {
      return "failed";
    }
  }
  return "on";
}

// Called by the clock for each request: where it goes.
function roomStatePath() {
  if (room.name === null) {
    return "state";
  }
  const q = new URLSearchParams({
    room: room.name,
    t: String(Math.round(roomNow())),
    rtt: String(Math.round(room.roundTrip)),
    sound: soundState(),
  });
  if (room.lastLog !== null) {
    q.set("cue", String(room.lastLog.cue));
    q.set("at", String(room.lastLog.at));
    if (room.lastLog.missed) {
      q.set("miss", room.lastLog.missed);
    } else {
      q.set("err", String(room.lastLog.error));
    }
  }
  return `room?${q}`;
}

// Called by the clock with each answer.
function roomAnswered(answer) {
  const s = answer.state;
  room.roundTrip = answer.delay;
  if (typeof s.room !== "string") {
    return;
  }
  room.group = typeof s.group === "string" ? s.group : "";
  room.cues = Array.isArray(s.cues) ? s.cues : [];
  room.recordings = s.recordings && typeof s.recordings === "object" ? s.recordings : {};
  showRoom();
  loadRecordings();
}

function setRoomText(id, text) {
  const element = document.getElementById(id);
  if (element.textContent !== text) {
    element.textContent = text;
  }
}

function showRoom() {
  const named = room.name !== null;
  const editing = named && room.editing === true;
  document.getElementById("room-form").hidden = named && !editing;
  document.getElementById("room-bar").hidden = !named || editing;
  setRoomText("room-name", named ? `考场 ${room.name}` : "");
  document.getElementById("room-sound").hidden = !named;
  setRoomText("room-group", room.group);
  document.getElementById("room-group").hidden = room.group === "";
  const on = soundState() !== "off";
  document.getElementById("sound-button").hidden = on;
  setRoomText("sound-state", on ? "声音已开启" : "声音未开启：请点击“开启声音”");
  document.getElementById("sound-state").classList.toggle("off", !on);
  const notes = [...room.notes.values()].join("；");
  setRoomText("room-notes", notes);
  document.getElementById("room-notes").hidden = notes === "";
}

function noteCue(cue, text) {
  if (text === null) {
    room.notes.delete(cue);
  } else {
    room.notes.set(cue, text);
  }
}

// Loads every recording the cues need, once per version.
function loadRecordings() {
  for (const [cue, r] of Object.entries(room.recordings)) {
    const name = CUE_NAMES[Number(cue)] || cue;
    if (r.kind === "midi") {
      noteCue(cue, `“${name}”的录音是 MIDI 文件，网页不能播放，本考场听不到这一提醒`);
      continue;
    }
    if (typeof r.src !== "string") {
      noteCue(cue, `“${name}”的录音无法载入`);
      continue;
    }
    const got = room.buffers.get(r.src);
    noteCue(cue, got === "failed" ? `“${name}”的录音无法载入` : null);
    if (room.context === null || got !== undefined) {
      continue;
    }
    room.buffers.set(r.src, "loading");
    fetch(r.src)
      .then((response) => {
        if (!response.ok) {
          throw new Error(`${response.status}`);
        }
        return response.arrayBuffer();
      })
      .then((bytes) => room.context.decodeAudioData(bytes))
      .then((buffer) => room.buffers.set(r.src, buffer))
      .catch(() => room.buffers.set(r.src, "failed"))
      .finally(() => {
        loadRecordings();
        showRoom();
      });
  }
  showRoom();
}

// The audio clock's time at an instant of performance.now(), from the output's own timestamp
// when the browser gives one (it includes the output's latency).
function contextTimeAt(performanceMs) {
  const c = room.context;
  if (typeof c.getOutputTimestamp === "function") {
    const ts = c.getOutputTimestamp();
    if (ts.contextTime > 0 && ts.performanceTime > 0) {
      return ts.contextTime + (performanceMs - ts.performanceTime) / 1000;
    }
  }
  return c.currentTime + (performanceMs - performance.now()) / 1000;
}

function performanceAt(contextTime) {
  const c = room.context;
  if (typeof c.getOutputTimestamp === "function") {
    const ts = c.getOutputTimestamp();
    if (ts.contextTime > 0 && ts.performanceTime > 0) {
      return ts.performanceTime + (contextTime - ts.contextTime) * 1000;
    }
  }
  return performance.now() + (contextTime - c.currentTime) * 1000;
}

function logCue(cue, fields) {
  const item = document.createElement("li");
  item.dataset.cue = String(cue.cue);
  item.dataset.at = String(cue.atMs);
  for (const [k, v] of Object.entries(fields)) {
    item.dataset[k] = String(v);
  }
  const what = fields.missed ? `未播放（${fields.missed}）` : `开始 ${fields.error >= 0 ? "+" : ""}${fields.error} ms`;
  item.textContent = `${clockText(cue.atMs)} ${CUE_NAMES[cue.cue] || ""} ${what}`;
  document.getElementById("cue-log").appendChild(item);
  room.lastLog = { cue: cue.cue, at: cue.atMs, error: fields.error, missed: fields.missed };
}

function playDue() {
  if (offsetMs === null) {
    return;
  }
  const now = serverNow();
  for (const cue of room.cues) {
    const key = `${cue.cue}@${cue.atMs}`;
    const ahead = cue.atMs - now;
    if (room.handled.has(key) || ahead > SCHEDULE_AHEAD_MS) {
      continue;
    }
    room.handled.add(key);
    if (ahead < -LATE_LIMIT_MS) {
      logCue(cue, { missed: "late" });
      continue;
    }
    if (soundState() === "off") {
      logCue(cue, { missed: "sound-off" });
      continue;
    }
    const r = room.recordings[String(cue.cue)];
    const buffer = r && typeof r.src === "string" ? room.buffers.get(r.src) : undefined;
    if (!(buffer instanceof AudioBuffer)) {
      logCue(cue, { missed: r && r.kind === "midi" ? "midi" : "not-loaded" });
      continue;
    }
    const source = room.context.createBufferSource();
    source.buffer = buffer;
    source.connect(room.context.destination);
    const target = contextTimeAt(cue.atMs - offsetMs - performance.timeOrigin);
    const when = Math.max(target, room.context.currentTime);
    source.start(when);
    // Once it has begun, the log says when that was by the corrected clock, as the audio
    // output's own timestamp places it.
    const wait = Math.max(0, (when - room.context.currentTime) * 1000) + 200;
    setTimeout(() => {
      const started = performanceAt(when) + performance.timeOrigin + offsetMs;
      logCue(cue, { started: Math.round(started), error: Math.round(started - cue.atMs) });
    }, wait);
  }
}

async function turnSoundOn() {
  if (room.context === null) {
    const Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) {
      return;
    }
    room.context = new Context();
  }
  try {
    await room.context.resume();
  } catch (e) {
    // Still suspended: the page keeps saying that sound is off.
  }
  loadRecordings();
  showRoom();
}

function setRoom(name) {
  room.name = name;
  room.editing = false;
  showRoom();
}

function roomMain() {
  const given = roomNameFromAddress();
  const stored = storedRoomName();
  if (validRoomName(given)) {
    setRoom(given);
  } else if (validRoomName(stored)) {
    setRoom(stored);
  } else {
    showRoom();
  }
  document.getElementById("room-form").addEventListener("submit", (event) => {
    event.preventDefault();
    const name = document.getElementById("room-input").value.trim();
    if (!validRoomName(name)) {
      setRoomText("room-form-note", `考场名称为 1 到 ${ROOM_MAX_CHARACTERS} 个字`);
      return;
    }
    try {
      localStorage.setItem(ROOM_STORE_KEY, name);
    } catch (e) {
      // Not kept: it holds until the page is reloaded.
    }
    setRoom(name);
  });
  document.getElementById("room-name").addEventListener("click", () => {
    document.getElementById("room-input").value = room.name || "";
    room.editing = true;
    document.getElementById("room-form").hidden = false;
    showRoom();
  });
  document.getElementById("sound-button").addEventListener("click", turnSoundOn);
  // A browser set to allow sound without a click (a room computer set up for it) needs none.
  const Context = window.AudioContext || window.webkitAudioContext;
  if (Context) {
    const probe = new Context();
    if (probe.state === "running") {
      room.context = probe;
      loadRecordings();
    } else {
      probe.close();
    }
  }
  showRoom();
  setInterval(playDue, 200);
}

roomMain();
