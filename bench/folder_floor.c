/* The floor for reading a folder: what any program must do to tell images
 * from other files, readdir, open, read 64 bytes and fstat per entry.
 *
 * Built into the benchmark (FOLDER_FLOOR_NO_MAIN), which times it side by
 * side with the program's own read, and on its own:
 *   cc -O2 -o folder_floor bench/folder_floor.c
 *   ./folder_floor FOLDER [REPEATS]     prints the best time and the count */
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

/* Reads the folder once; the number of entries opened and read, or -1 when
 * the folder cannot be opened. */
long
folder_floor_read(const char* folder)
{
	DIR* dir = opendir(folder);
	if (dir == NULL)
		return -1;
	int dirFd = dirfd(dir);
	struct dirent* entry;
	unsigned char bytes[64];
	long entries = 0;
	while ((entry = readdir(dir)) != NULL) {
		if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0)
			continue;
		int fd = openat(dirFd, entry->d_name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
		if (fd < 0)
			continue;
		struct stat st;
		if (read(fd, bytes, sizeof(bytes)) >= 0 && fstat(fd, &st) == 0)
			entries++;
		close(fd);
	}
	closedir(dir);
	return entries;
}

#ifndef FOLDER_FLOOR_NO_MAIN
static double
now(void)
{
	struct timespec t;
	clock_gettime(CLOCK_MONOTONIC, &t);
	return t.tv_sec + t.tv_nsec / 1e9;
}

int
main(int argc, char** argv)
{
	if (argc < 2) {
		fprintf(stderr, "usage: %s FOLDER [REPEATS]\n", argv[0]);
		return 2;
	}
	int repeats = argc > 2 ? atoi(argv[2]) : 5;
	double best = 1e9;
	long entries = 0;
	for (int r = 0; r < repeats; r++) {
		double start = now();
		entries = folder_floor_read(argv[1]);
		if (entries < 0)
			return 1;
		double elapsed = now() - start;
		if (elapsed < best)
			best = elapsed;
	}
	printf("%.3f ms %ld entries\n", best * 1000, entries);
	return 0;
}
#endif
