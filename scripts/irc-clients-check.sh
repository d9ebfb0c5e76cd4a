#!/bin/sh
# Standard IRC clients against the real server: WeeChat (headless) and irssi,
# each with its default settings, connect to our server, join "#雑談" and
# exchange Japanese with a scripted user of our own protocol (ISO-2022-JP),
# then quit. The program runs as "/SONLY" on the fixed port 6667 with a
# program folder of its own.
#
# Installs nothing: a client that is not installed is skipped, and said so.
# (Debian: apt-get install weechat-headless irssi.) Takes about half a minute.
# Usage: scripts/irc-clients-check.sh [program]
# Exit code: 0 when every client that ran passed, 1 on a failure, 77 when
# nothing could run (no client installed, no program or python3, port 6667
# taken); `make test` counts 77 as skipped.
set -e
cd "$(dirname "$0")/.."
program=$(realpath -m "${1:-build/novalune}")
[ -x "$program" ] || { echo "SKIP: no program at $program (build it first: make build)"; exit 77; }
command -v python3 >/dev/null 2>&1 || { echo "SKIP: python3 is not installed"; exit 77; }

work=$(mktemp -d /tmp/novalune-irc-clients.XXXXXX)
trap 'rm -rf "$work"' EXIT
cat >"$work/check.py" <<'PY'
import fcntl, os, pty, shutil, signal, socket, struct, subprocess, sys, termios, threading, time

PROGRAM, WORK = sys.argv[1], sys.argv[2]
PORT, ROOM = 6667, "#雑談"
WAIT = 20.0


def jis(text):
    return text.encode("iso2022_jp")


class OurUser:
    """A user of our own protocol: Shift-JIS text, ISO-2022-JP on the wire."""

    def __init__(self, nick):
        self.nick = nick
        self.sock = socket.create_connection(("127.0.0.1", PORT), timeout=1)
        self.pending = b""
        self.send(f"USER {nick} * * :{nick}")
        self.send(f"NICK {nick}")
        self.send(f"JOIN {ROOM}")
        self.expect(lambda l: l.startswith(":ZKWChatServer214 366 "), "its own join")

    def send(self, line):
        self.sock.sendall(jis(line + "\r\n"))

    def lines(self, until):
        while time.monotonic() < until:
            while b"\n" in self.pending:
                raw, self.pending = self.pending.split(b"\n", 1)
                # Read as our client reads it: after ESC ( J, backslash and tilde are themselves.
                yield raw.rstrip(b"\r").replace(b"\x1b(J", b"\x1b(B").decode("iso2022_jp", "replace")
            try:
                data = self.sock.recv(4096)
            except socket.timeout:
                continue
            if not data:
                return
            self.pending += data

    def expect(self, match, what):
        seen = []
        for line in self.lines(time.monotonic() + WAIT):
            if match(line):
                return line
            seen.append(line)
        raise AssertionError(f"{self.nick} never saw {what}; it saw {seen[-3:]}")

    def sees(self, nick):
        """Whether `nick` is registered, asked with WHO."""
        self.send("WHO")
        for line in self.lines(time.monotonic() + WAIT):
            if line.startswith(":ZKWChatServer214 352 ") and line.split(" ")[7] == nick:
                return True
            if line.startswith(":ZKWChatServer214 315 "):
                return False
        return False

    def close(self):
        self.sock.close()


def wait_for(condition, what):
    until = time.monotonic() + WAIT
    while time.monotonic() < until:
        if condition():
            return
        time.sleep(0.2)
    raise AssertionError(f"timed out waiting for {what}")


def file_has(folder, text):
    for root, _, names in os.walk(folder):
        for name in names:
            with open(os.path.join(root, name), encoding="utf-8", errors="replace") as f:
                if text in f.read():
                    return True
    return False


def stop(process):
    if process.poll() is None:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


class WeeChat:
    name, nick = "WeeChat", "wee"

    def start(self):
        self.home = os.path.join(WORK, "weechat")
        os.makedirs(self.home)
        # Only the server and the nick are set; the log is where the check reads
        # what arrived, written at once.
        commands = ";".join([
            "/set logger.file.flush_delay 0",
            f"/server add nova 127.0.0.1/{PORT}",
            f"/set irc.server.nova.nicks {self.nick}",
            f"/set irc.server.nova.autojoin {ROOM}",
            "/connect nova",
        ])
        self.process = subprocess.Popen(["weechat-headless", "--dir", self.home, "-r", commands],
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        self.fifo = os.path.join(self.home, f"weechat_fifo_{self.process.pid}")

    def join(self, user):
        pass  # autojoin

    def command(self, text):
        wait_for(lambda: os.path.exists(self.fifo), "the WeeChat fifo")
        with open(self.fifo, "w", encoding="utf-8") as fifo:
            fifo.write(f"irc.server.nova */{text}\n")

    def say(self, text):
        self.command(f"msg {ROOM} {text}")

    def received(self, text):
        return file_has(os.path.join(self.home, "logs"), text)

    def quit(self):
        self.command("quit")

    def stop(self):
        stop(self.process)


class Irssi:
    name, nick = "irssi", "irs"

    def start(self):
        self.home = os.path.join(WORK, "irssi")
        os.makedirs(self.home)
        # The log is where the check reads what arrived; nothing else is set.
        with open(os.path.join(self.home, "startup"), "w") as f:
            f.write(f"/set autolog on\n/set autolog_path {self.home}/logs/$0.log\n")
        env = dict(os.environ, TERM="xterm", LANG="C.UTF-8", LC_ALL="C.UTF-8")
        pid, self.master = pty.fork()
        if pid == 0:
            os.execvpe("irssi", ["irssi", f"--home={self.home}", "-n", self.nick,
                                 "-c", "127.0.0.1", "-p", str(PORT)], env)
        self.pid = pid
        fcntl.ioctl(self.master, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 80, 0, 0))
        # The screen is not read, but must be drained or irssi blocks writing it.
        threading.Thread(target=self.drain, daemon=True).start()

    def drain(self):
        try:
            while os.read(self.master, 65536):
                pass
        except OSError:
            pass

    def type(self, text):
        os.write(self.master, (text + "\r").encode("utf-8"))

    def join(self, user):
        wait_for(lambda: user.sees(self.nick), "irssi to register")
        self.type(f"/join {ROOM}")

    def say(self, text):
        self.type(f"/msg {ROOM} {text}")

    def received(self, text):
        return file_has(os.path.join(self.home, "logs"), text)

    def quit(self):
        self.type("/quit")

    def stop(self):
        try:
            os.kill(self.pid, signal.SIGTERM)
            os.waitpid(self.pid, 0)
        except (ProcessLookupError, ChildProcessError):
            pass


def scenario(client, ours_nick):
    user = OurUser(ours_nick)
    client.start()
    try:
        client.join(user)
        user.expect(lambda l: l == f":{client.nick}!x@x JOIN :{ROOM}", f"{client.nick} join {ROOM}")
        said = f"こんにちは、{client.name}から ~\\ です"
        client.say(said)
        user.expect(lambda l: l == f":{client.nick}!x@x PRIVMSG {ROOM} :{said}", "the Japanese line")
        answer = f"はい、{ours_nick}です。表示も ~\\ 大丈夫"
        user.send(f"PRIVMSG {ROOM} :{answer}")
        wait_for(lambda: client.received(answer), f"{client.name} to receive the answer")
        topic = f"{client.name}と日本語で話す部屋"
        user.send(f"TOPIC {ROOM} :{topic}")  # the local user is a host
        wait_for(lambda: client.received(topic), f"{client.name} to show the new topic")
        client.quit()
        user.expect(lambda l: l.startswith(f":{client.nick}! QUIT"), f"{client.nick} quit")
    finally:
        client.stop()
        user.close()


def free(port):
    with socket.socket() as s:
        return s.connect_ex(("127.0.0.1", port)) != 0


def main():
    if not free(PORT):
        print(f"SKIP: port {PORT} is in use; this check needs the program's fixed port")
        return 77
    home = os.path.join(WORK, "program")
    os.makedirs(home)
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env["NOVALUNE_HOME"] = home
    env.pop("QT_QPA_PLATFORM", None)
    server = subprocess.Popen([PROGRAM, "/SONLY"], env=env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    passed = failed = skipped = 0
    try:
        wait_for(lambda: not free(PORT), "the server to listen")
        for client, binary, nick in ((WeeChat(), "weechat-headless", "taro"), (Irssi(), "irssi", "jiro")):
            if shutil.which(binary) is None:
                print(f"SKIP {client.name}: {binary} is not installed (Debian package {binary})")
                skipped += 1
                continue
            try:
                scenario(client, nick)
                print(f"PASS {client.name}: joined {ROOM}, Japanese both ways, quit")
                passed += 1
            except AssertionError as problem:
                print(f"FAIL {client.name}: {problem}")
                failed += 1
    finally:
        stop(server)
    print(f"{passed} passed, {failed} failed, {skipped} skipped")
    return 1 if failed else 0 if passed else 77


sys.exit(main())
PY
status=0
python3 "$work/check.py" "$program" "$work" || status=$?
exit $status
