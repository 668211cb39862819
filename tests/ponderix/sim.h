/* scale-sim as a child process, for tests written in C: the first line it prints is where a host
 * connects; every control line is answered by one line. */
#ifndef PONDERIX_TEST_SIM_H
#define PONDERIX_TEST_SIM_H

#include <stdio.h>
#include <sys/types.h>

typedef struct sim {
    pid_t pid;
    FILE* control; /* its standard input */
    FILE* answers; /* its standard output */
    char endpoint[256];
} sim;

/* argv: options after the program, NULL-terminated. 0 when it started. */
int sim_start(sim* s, const char* const* options);
/* Sends a control line and copies its answer (without the line end) into answer. */
int sim_send(sim* s, const char* line, char* answer, size_t size);
void sim_stop(sim* s);

#endif
