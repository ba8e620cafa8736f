// Keeps the exam-room clock inside the browser's window at any size and with any texts: a line
// wider than the window (a long subject, a narrow telephone) gets a smaller font, then all lines
// together shrink when their height still does not fit. The sizes in display.css are the largest
// a line is ever shown at; this only makes text smaller, and again from those at every change.
"use strict";

(() => {
  const LINES = ["date-line", "clock", "subject", "times", "countdown"];
  // The blocks stacked one under the other, whose heights add up.
  const BLOCKS = ["date-line", "clock", "exam"];
  // Share of the window a line may take: a little air at the edges.
  const ROOM = 0.94;

  function fit() {
    const lines = LINES.map((id) => document.getElementById(id));
    for (const line of lines) {
      line.style.fontSize = "";
    }
    const view = document.documentElement;
    const width = view.clientWidth * ROOM;
    const sizes = lines.map((line) => {
      const size = parseFloat(getComputedStyle(line).fontSize);
      const wide = line.getBoundingClientRect().width;
      return wide > width ? (size * width) / wide : size;
    });
    lines.forEach((line, i) => {
      line.style.fontSize = `${sizes[i]}px`;
    });
    const high = BLOCKS.reduce(
      (sum, id) => sum + document.getElementById(id).getBoundingClientRect().height, 0);
    const height = view.clientHeight * ROOM;
    if (high > height) {
      lines.forEach((line, i) => {
        line.style.fontSize = `${(sizes[i] * height) / high}px`;
      });
    }
  }

  // Every change of a text (the clock's each second) fits again before the next paint; the
  // changes of style made here are not watched, so fitting never feeds itself.
  new MutationObserver(fit).observe(document.getElementById("display"), {
    subtree: true,
    childList: true,
    characterData: true,
    attributes: true,
    attributeFilter: ["class", "hidden"],
  });
  window.addEventListener("resize", fit);
  fit();
})();
