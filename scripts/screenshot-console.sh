#!/bin/sh
# Takes a PNG screenshot of the server console under Xvfb: the real program
# runs as "/SONLY" on the fixed ports, three users connect and enter rooms,
# the host link asks for the console ("VIEW"), and ImageMagick's `import`
# grabs the screen.
# Usage: scripts/screenshot-console.sh [program] [output.png]
set -e
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/novalune}")
output=$(realpath -m "${2:-console.png}")
[ -x "$program" ] || { echo "no program at $program (build it first)" >&2; exit 2; }

if ! command -v xvfb-run >/dev/null 2>&1; then ./scripts/install-deps.sh build desktop; fi
if ! command -v import >/dev/null 2>&1; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends imagemagick
fi

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
printf '10.0.0.99\r\n' > "$home/RefList.txt"

cat > "$home/scene.py" <<'PY'
import socket, subprocess, sys, time

def connect(port, attempts=200):
    for _ in range(attempts):
        try:
            return socket.create_connection(("127.0.0.1", port))
        except OSError:
            if server.poll() is not None:
                sys.exit("the server ended early")
            time.sleep(0.05)
    sys.exit("the server did not start")

def send(conn, line):
    conn.sendall(line.encode("iso2022_jp") + b"\r\n")

def sync(conn):
    send(conn, "PING x")
    data = b""
    while b"PONG" not in data:
        data += conn.recv(65536)

program, output = sys.argv[1], sys.argv[2]
try:
    socket.create_connection(("127.0.0.1", 6667)).close()
    sys.exit("port 6667 is taken by another program: stop it first")
except OSError:
    pass
server = subprocess.Popen([program, "/SONLY"])
try:
    users = []
    for nick, room in (("taro", "#雑談"), ("hanako", "#雑談"), ("jiro", "#lobby")):
        conn = connect(6667)
        send(conn, "USER %s * * :%s" % (nick, nick))
        send(conn, "NICK " + nick)
        send(conn, "JOIN " + room)
        sync(conn)
        users.append(conn)
    send(users[0], "TOPIC #雑談 :ようこそ")
    sync(users[0])
    link = connect(32570)
    link.sendall(b"VIEW")
    time.sleep(1.5)  # let the window map and paint
    subprocess.run(["import", "-window", "root", output], check=True)
finally:
    server.terminate()
    server.wait()
PY

NOVALUNE_HOME="$home" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 720x480x24" \
  python3 "$home/scene.py" "$program" "$output"
echo "$output"
