// Adds a fixed delay to every packet of one netfilter queue: each packet is held for DELAY_MS
// and then accepted, in arrival order. This kernel has no netem, so the latency benchmark
// queues the packets of a network namespace's loopback here (iptables -j NFQUEUE).
//
// usage: nfq_delay QUEUE_NUMBER DELAY_MS
// Prints "ready" on standard output once bound to the queue; runs until SIGTERM or SIGINT,
// then accepts every packet still held.
#include <arpa/inet.h>
#include <errno.h>
#include <libnetfilter_queue/libnetfilter_queue.h>
#include <linux/netfilter.h>
#include <poll.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

// The packets held, oldest first, in a growing ring.
struct Held {
  uint32_t id;
  int64_t releaseNs;
};

static struct Held* g_held = NULL;
static size_t g_capacity = 0;
static size_t g_first = 0;
static size_t g_count = 0;
static int64_t g_delayNs = 0;
static volatile sig_atomic_t g_stop = 0;

static int64_t nowNs(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (int64_t)t.tv_sec * 1000000000 + t.tv_nsec;
}

static void push(uint32_t id, int64_t releaseNs) {
  if (g_count == g_capacity) {
    const size_t capacity = g_capacity ? g_capacity * 2 : 1024;
    struct Held* grown = malloc(capacity * sizeof *grown);
    if (grown == NULL) {
      perror("nfq_delay: out of memory");
      exit(1);
    }
    for (size_t i = 0; i < g_count; ++i) grown[i] = g_held[(g_first + i) % g_capacity];
    free(g_held);
    g_held = grown;
    g_capacity = capacity;
    g_first = 0;
  }
  g_held[(g_first + g_count) % g_capacity] = (struct Held){id, releaseNs};
  ++g_count;
}

static int onPacket(struct nfq_q_handle* queue, struct nfgenmsg* message, struct nfq_data* data,
                    void* unused) {
  (void)queue;
  (void)message;
  (void)unused;
  const struct nfqnl_msg_packet_hdr* header = nfq_get_msg_packet_hdr(data);
  if (header != NULL) push(ntohl(header->packet_id), nowNs() + g_delayNs);
  return 0;
}

// Accepts every held packet whose time has come (all of them when `all`); returns the
// milliseconds until the next one is due, or -1 when none is held.
static int release(struct nfq_q_handle* queue, int all) {
  const int64_t now = nowNs();
  while (g_count > 0) {
    const struct Held next = g_held[g_first];
    if (!all && next.releaseNs > now) {
      const int64_t waitNs = next.releaseNs - now;
      return (int)((waitNs + 999999) / 1000000);
    }
    nfq_set_verdict(queue, next.id, NF_ACCEPT, 0, NULL);
    g_first = (g_first + 1) % g_capacity;
    --g_count;
  }
  return -1;
}

static void onSignal(int signal) {
  (void)signal;
  g_stop = 1;
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: nfq_delay QUEUE_NUMBER DELAY_MS\n");
    return 2;
  }
  const int queueNumber = atoi(argv[1]);
  g_delayNs = (int64_t)atoi(argv[2]) * 1000000;
  struct nfq_handle* handle = nfq_open();
  if (handle == NULL) {
    perror("nfq_delay: nfq_open");
    return 1;
  }
  struct nfq_q_handle* queue = nfq_create_queue(handle, (uint16_t)queueNumber, onPacket, NULL);
  if (queue == NULL || nfq_set_mode(queue, NFQNL_COPY_META, 0) < 0) {
    perror("nfq_delay: cannot bind the queue");
    return 1;
  }
  nfq_set_queue_maxlen(queue, 1 << 16);
  // A burst must not overflow the socket: a lost queue message would hold its packet forever.
  nfnl_rcvbufsiz(nfq_nfnlh(handle), 16u << 20);
  struct sigaction action;
  memset(&action, 0, sizeof action);
  action.sa_handler = onSignal;
  sigaction(SIGTERM, &action, NULL);
  sigaction(SIGINT, &action, NULL);
  printf("ready\n");
  fflush(stdout);

  const int fd = nfq_fd(handle);
  char buffer[65536];
  while (!g_stop) {
    struct pollfd in = {fd, POLLIN, 0};
    const int ready = poll(&in, 1, release(queue, 0));
    if (ready < 0 && errno != EINTR) break;
    if (ready > 0) {
      const ssize_t got = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
      if (got > 0) nfq_handle_packet(handle, buffer, (int)got);
      if (got < 0 && errno != ENOBUFS && errno != EAGAIN && errno != EINTR) break;
    }
  }
  release(queue, 1);
  nfq_destroy_queue(queue);
  nfq_close(handle);
  free(g_held);
  return 0;
}
