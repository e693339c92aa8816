"""A time-stamp server on the loopback for the signing test: answers each
RFC 3161 request through "openssl ts -reply" with the configuration given,
prints its port first, and stops after 60 seconds at most.
    time_stamp_server.py <openssl ts configuration>"""
import http.server
import os
import subprocess
import sys
import tempfile
import threading

config = sys.argv[1]


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers.get("Content-Length", "0")))
        with tempfile.TemporaryDirectory() as folder:
            request = os.path.join(folder, "request")
            reply = os.path.join(folder, "reply")
            with open(request, "wb") as file:
                file.write(query)
            made = subprocess.run(["openssl", "ts", "-reply", "-config", config,
                                   "-queryfile", request, "-out", reply],
                                  capture_output=True)
            if made.returncode != 0:
                sys.stderr.write(made.stderr.decode(errors="replace"))
                self.send_error(500)
                return
            with open(reply, "rb") as file:
                answer = file.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(answer)))
        self.end_headers()
        self.wfile.write(answer)

    def log_message(self, *arguments):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
threading.Timer(60, server.shutdown).start()
server.serve_forever()
