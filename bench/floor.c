/* The floor a generation run is measured against: writes a tree of files the way the run must,
 * each through a temporary file in its folder renamed over the target, and nothing else.
 *
 *   floor SOURCE TARGET
 *
 * reads every file under SOURCE into memory first (the bytes a run would have produced), then
 * creates TARGET and writes the same folders and files below it. Build: cc -O2 -o floor floor.c */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#include <dirent.h>

struct entry {
  char* path; /* relative to the tree */
  char* bytes;
  size_t size;
  int folder;
};

static struct entry* entries;
static size_t count, capacity;

static void fail(const char* what, const char* path) {
  fprintf(stderr, "floor: %s %s: %s\n", what, path, strerror(errno));
  exit(1);
}

static void add(char* path, char* bytes, size_t size, int folder) {
  if (count == capacity) {
    capacity = capacity ? capacity * 2 : 1024;
    entries = realloc(entries, capacity * sizeof *entries);
    if (!entries) fail("out of memory", path);
  }
  entries[count++] = (struct entry){path, bytes, size, folder};
}

static char* join(const char* a, const char* b) {
  char* path = malloc(strlen(a) + strlen(b) + 2);
  if (*a)
    sprintf(path, "%s/%s", a, b);
  else
    strcpy(path, b);
  return path;
}

static void readTree(const char* root, const char* relative) {
  char* folder = *relative ? join(root, relative) : strdup(root);
  DIR* dir = opendir(folder);
  if (!dir) fail("cannot list", folder);
  struct dirent* item;
  while ((item = readdir(dir)) != NULL) {
    if (!strcmp(item->d_name, ".") || !strcmp(item->d_name, "..")) continue;
    char* path = join(relative, item->d_name);
    char* full = join(root, path);
    struct stat info;
    if (lstat(full, &info) != 0) fail("cannot stat", full);
    if (S_ISDIR(info.st_mode)) {
      add(path, NULL, 0, 1);
      readTree(root, path);
    } else if (S_ISREG(info.st_mode)) {
      int fd = open(full, O_RDONLY);
      if (fd < 0) fail("cannot open", full);
      char* bytes = malloc(info.st_size ? info.st_size : 1);
      size_t got = 0;
      while (got < (size_t)info.st_size) {
        ssize_t n = read(fd, bytes + got, info.st_size - got);
        if (n <= 0) fail("cannot read", full);
        got += n;
      }
      close(fd);
      add(path, bytes, got, 0);
    }
    free(full);
  }
  closedir(dir);
  free(folder);
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: floor SOURCE TARGET\n");
    return 2;
  }
  readTree(argv[1], "");
  if (mkdir(argv[2], 0777) != 0 && errno != EEXIST) fail("cannot create", argv[2]);
  int target = open(argv[2], O_PATH | O_DIRECTORY);
  if (target < 0) fail("cannot open", argv[2]);
  char temporary[4096];
  for (size_t i = 0; i < count; ++i) {
    const struct entry* e = &entries[i];
    if (e->folder) {
      if (mkdirat(target, e->path, 0777) != 0 && errno != EEXIST) fail("cannot create", e->path);
      continue;
    }
    /* The temporary file beside the target: same folder, hidden name. */
    const char* slash = strrchr(e->path, '/');
    if (slash)
      snprintf(temporary, sizeof temporary, "%.*s/.%s.tmp", (int)(slash - e->path), e->path, slash + 1);
    else
      snprintf(temporary, sizeof temporary, ".%s.tmp", e->path);
    int fd = openat(target, temporary, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) fail("cannot create", temporary);
    size_t done = 0;
    while (done < e->size) {
      ssize_t n = write(fd, e->bytes + done, e->size - done);
      if (n < 0) fail("cannot write", temporary);
      done += n;
    }
    if (close(fd) != 0) fail("cannot close", temporary);
    if (renameat(target, temporary, target, e->path) != 0) fail("cannot rename", e->path);
  }
  return 0;
}
