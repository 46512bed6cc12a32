"""A statistics server for the end-to-end test: listens on 127.0.0.1 on a
free port, writes the port to the file given, and logs each request line and
user agent there too (one line each), answering 204."""
import http.server
import sys

log_path = sys.argv[1]


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
