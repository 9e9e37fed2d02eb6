/* The sound side of the live sync test: records a PulseAudio source (a null sink's
 * monitor) in 1 ms chunks, timestamps each chunk as it arrives on CLOCK_MONOTONIC, and
 * prints when each onset (a sample louder than the threshold after at least 0.2 s of quiet)
 * was played, one line each in seconds on that clock. Exits 0 after COUNT onsets, 1 when
 * the time limit or a recording failure (the server gone) comes first, after printing
 * what it heard; 2 when it cannot record at all.
 *
 * A chunk ending at frame n of the recording and read at time t says the recording began at
 * t - n/rate or before: the smallest of these (the chunks' lower envelope) is the start
 * give or take a read that came at once. Only chunks within half a second of an onset
 * count, as the sink's clock drifts against the system's (about 0.5 ms a second).
 *
 * Usage: sound_recorder SOURCE COUNT SECONDS_LIMIT [realtime]
 * (realtime: the times on CLOCK_REALTIME, for a browser's performance.timeOrigin). */
#include <pulse/error.h>
#include <pulse/simple.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

enum { kRate = 44100, kChannels = 2, kChunkFrames = 44, kThreshold = 1000 };
enum { kMaxChunks = 1 << 16, kMaxOnsets = 16 };
static const long kQuietFrames = kRate / 5;
static const long kEnvelopeFrames = kRate / 2;

static clockid_t timeBase = CLOCK_MONOTONIC;

static double Now(void) {
  struct timespec now;
  clock_gettime(timeBase, &now);
  return (double)now.tv_sec + (double)now.tv_nsec / 1e9;
}

static double begins[kMaxChunks]; /* per chunk: read time minus its end frame / rate */
static long ends[kMaxChunks];
static int chunks;

/* When frame `onset` was played: the envelope of the chunks around it. */
static double PlayTime(long onset) {
  double start = 1e300;
  for (int i = 0; i < chunks; ++i) {
    if (labs(ends[i] - onset) <= kEnvelopeFrames && begins[i] < start) start = begins[i];
  }
  return start + (double)onset / kRate;
}

int main(int argc, char** argv) {
  if (argc < 4 || argc > 5 || (argc == 5 && strcmp(argv[4], "realtime") != 0)) {
    fprintf(stderr, "usage: %s SOURCE COUNT SECONDS_LIMIT [realtime]\n", argv[0]);
    return 2;
  }
  if (argc == 5) timeBase = CLOCK_REALTIME;
  const int count = atoi(argv[2]);
  const double limit = Now() + atof(argv[3]);
  if (count < 1 || count > kMaxOnsets) return 2;
  const pa_sample_spec spec = {PA_SAMPLE_S16LE, kRate, kChannels};
  pa_buffer_attr attributes = {(uint32_t)-1, (uint32_t)-1, (uint32_t)-1, (uint32_t)-1,
                               kChunkFrames * kChannels * 2};
  int error = 0;
  pa_simple* source = pa_simple_new(NULL, "lumivex sync recorder", PA_STREAM_RECORD, argv[1],
                                    "monitor", &spec, NULL, &attributes, &error);
  if (!source) {
    fprintf(stderr, "sound_recorder: %s\n", pa_strerror(error));
    return 2;
  }
  short chunk[kChunkFrames * kChannels];
  long frames = 0, lastLoud = -kQuietFrames, onsets[kMaxOnsets];
  int heard = 0, printed = 0, complete = 0;
  while (chunks < kMaxChunks && Now() < limit) {
    if (pa_simple_read(source, chunk, sizeof chunk, &error) < 0) {
      fprintf(stderr, "sound_recorder: %s\n", pa_strerror(error));
      break;
    }
    const double now = Now();
    for (int i = 0; i < kChunkFrames * kChannels; ++i) {
      if (abs(chunk[i]) <= kThreshold) continue;
      const long frame = frames + i / kChannels;
      if (frame - lastLoud >= kQuietFrames && heard < count) onsets[heard++] = frame;
      lastLoud = frame;
    }
    frames += kChunkFrames;
    ends[chunks] = frames;
    begins[chunks++] = now - (double)frames / kRate;
    /* An onset is told once the envelope around it is complete. */
    while (printed < heard && frames - onsets[printed] > kEnvelopeFrames) {
      printf("%.6f\n", PlayTime(onsets[printed++]));
      fflush(stdout);
    }
    if (printed == count) {
      complete = 1;
      break;
    }
  }
  pa_simple_free(source);
  while (printed < heard) printf("%.6f\n", PlayTime(onsets[printed++]));
  return complete ? 0 : 1;
}
