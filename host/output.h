// What the host tells its user: one line per thing it does on stdout, problems on stderr.
// Every line is flushed at once: tests and the demo read it from a pipe as it happens.
#pragma once

// Lines end in a bare LF, also on Windows, so that readers on either side of Wine see the
// same text. Called once, before the first line.
void prepare_output();

void say(const char *format, ...) __attribute__((format(printf, 1, 2)));
void complain(const char *format, ...) __attribute__((format(printf, 1, 2)));
