// The page's sound queue: blocks of interleaved 16-bit stereo that the page renders ahead
// (lumivexAudio in index.html), played in order. An AudioWorklet module, where it plays
// off the page's thread and reports back; where a page has no AudioWorklet the page loads
// it too, for the ScriptProcessorNode that then plays the same queue.
'use strict';

class LumivexSoundQueue {
  constructor() {
    this.blocks = [];  // Int16Array, interleaved stereo, oldest first
    this.offset = 0;   // frames of blocks[0] already played
    this.played = 0;   // frames of the stream played
    this.silent = 0;   // buffers that ran short once the stream had begun
  }

  push(block) {
    this.blocks.push(block);
  }

  // Fills one output buffer's two channels; returns the stream frame it begins with.
  fill(left, right) {
    const first = this.played;
    const n = left.length;
    let i = 0;
    while (i < n && this.blocks.length > 0) {
      const block = this.blocks[0];
      const take = Math.min(n - i, (block.length >> 1) - this.offset);
      for (let k = 0, at = 2 * this.offset; k < take; ++k, at += 2) {
        left[i + k] = block[at] / 32768;
        right[i + k] = block[at + 1] / 32768;
      }
      i += take;
      this.offset += take;
      if (2 * this.offset === block.length) {
        this.blocks.shift();
        this.offset = 0;
      }
    }
    if (i < n) {
      left.fill(0, i);
      right.fill(0, i);
      if (first + i > 0) ++this.silent;  // a gap the listener hears, not the wait for the start
    }
    this.played += i;
    return first;
  }
}

if (typeof registerProcessor === 'function') {
  const kReportQuanta = 8;  // about 23 ms at 44100 Hz
  // Every few render quanta it tells the page [the stream frame that began this quantum,
  // the AudioContext time it plays at, frames played, silent buffers]; the page answers
  // with blocks, and with null to stop.
  registerProcessor('lumivex-sound', class extends AudioWorkletProcessor {
    constructor() {
      super();
      this.queue = new LumivexSoundQueue();
      this.quanta = 0;
      this.stopped = false;
      this.port.onmessage = (event) => {
        if (event.data === null) this.stopped = true;
        else this.queue.push(event.data);
      };
    }

    process(inputs, outputs) {
      const first = this.queue.fill(outputs[0][0], outputs[0][1]);
      if (++this.quanta % kReportQuanta === 0) {
        this.port.postMessage([first, currentTime, this.queue.played, this.queue.silent]);
      }
      return !this.stopped;
    }
  });
}
