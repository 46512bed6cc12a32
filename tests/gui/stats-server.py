"""A statistics server for the end-to-end tests: listens on 127.0.0.1 on a
free port, writes the port to the file given, and logs each request line and
user agent there too (one line each), answering 204. With "silent" as a third
argument it takes connections and never answers (for 60 s at most)."""
import http.server
import socket
import sys
import time

log_path = sys.argv[1]

if len(sys.argv) > 3 and sys.argv[3] == "silent":
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    with open(sys.argv[2], "w") as port_file:
        port_file.write(str(listener.getsockname()[1]))
    accepted = []
    listener.settimeout(1)
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        try:
            connection, _ = listener.accept()
        except socket.timeout:
            continue
        accepted.append(connection)
        with open(log_path, "a") as log:
            log.write("accepted\n")
    sys.exit(0)


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        with open(log_path, "a") as log:
            log.write(f"{self.requestline} | {self.headers.get('User-Agent')}\n")
        self.send_response(204)
        self.end_headers()

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
with open(sys.argv[2], "w") as port_file:
    port_file.write(str(server.server_address[1]))
server.timeout = 60
# Bounded: at most a few requests, and never longer than the test.
for _ in range(10):
    server.handle_request()
