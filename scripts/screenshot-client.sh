#!/bin/sh
# Takes PNG screenshots of the client under Xvfb: the main window connected
# to a real server with Japanese talk, members with their marks and one away,
# member pictures from a local web server, the icon and publication dialogs,
# the server list page, a whisper window, the URL list, the user history, a
# file arriving (the receive question and the progress window), the connect
# dialog "Chatの接続", and the server console. The program runs
# on the fixed ports ("/SONLY" first, then client copies); users are played
# by a Python script, and xdotool answers the start question and opens the menu.
# Usage: scripts/screenshot-client.sh [program] [output-folder]
set -e
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/novalune}")
outdir=$(realpath -m "${2:-.}")
[ -x "$program" ] || { echo "no program at $program (build it first)" >&2; exit 2; }
mkdir -p "$outdir"

if ! command -v xvfb-run >/dev/null 2>&1; then ./scripts/install-deps.sh build desktop; fi
need=""
command -v import >/dev/null 2>&1 || need="$need imagemagick"
command -v xdotool >/dev/null 2>&1 || need="$need xdotool"
command -v cutycapt >/dev/null 2>&1 || need="$need cutycapt"
if [ -n "$need" ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $need
fi

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
# The settings of a user who has used the program before: tool bar and status
# bar on, a Japanese font for every style, a white display.
python3 - "$home/NOVALUNE.INI" <<'PY'
import sys
fonts = [("MemoFont1", 0x008000, 0), ("MemoFont2", 0x800000, 1), ("MemoFont3", 0x000000, 0), ("MemoFont4", 0x0000C0, 0)]
lines = ["[System]", "Nick=taro", "RoomName=#雑談", "ServerIP=127.0.0.1", "ViewToolBar=1", "ViewStatusBar=1",
         "BackColor=16777215", "ListViewWidth=150", "URLLEN=50", "USERHISTORYLEN=50"]
for section, color, bold in fonts:
    lines += ["[%s]" % section, "Name=Noto Sans CJK JP", "Size=11", "Color=%d" % color, "Bold=%d" % bold]
lines += ["[ICON]", "URL=http://127.0.0.1:8088/taro.gif", "SelectNo=0"]
# The own server is published on a server list at start.
lines += ["[Server]", "NAME=たろうの雑談部屋", "PASS=himitsu", "ROOM=#雑談", "URL=http://example.org/",
          "AUTOONOF=1"]
lines += ["[ZKWChatForm]", "PlaceNormalPos.Left=0", "PlaceNormalPos.Top=0", "PlaceNormalPos.Right=1280",
          "PlaceNormalPos.Bottom=680"]
open(sys.argv[1], "wb").write(("\r\n".join(lines) + "\r\n").encode("cp932"))
PY
# Member pictures served by a small web server: animated GIFs drawn by ImageMagick.
mkdir -p "$home/www"
for who in taro:red:orange hanako:deepskyblue:white jiro:forestgreen:yellow; do
  name=${who%%:*}; colours=${who#*:}
  convert -delay 40 -size 32x32 "xc:${colours%%:*}" "xc:${colours#*:}" -fill black -draw "circle 16,16 16,6" \
    -loop 0 "$home/www/$name.gif"
done
printf 'http://127.0.0.1:8089/register#\r\n' >"$home/ZKWCSvr.txt"
printf 'みんなで気軽に話しましょう。\r\n' | iconv -f UTF-8 -t CP932 >"$home/htmlmsg1.txt"
printf 'http://127.0.0.1:8088/taro.gif\r\nhttp://127.0.0.1:8088/hanako.gif\r\nhttp://127.0.0.1:8088/jiro.gif\r\n' \
  >"$home/ICONLIST.TXT"

cat > "$home/scene.py" <<'PY'
import os, socket, subprocess, sys, time

program, outdir = sys.argv[1], sys.argv[2]
started = []

def connect(port, source="127.0.0.1", attempts=200):
    for _ in range(attempts):
        try:
            return socket.create_connection(("127.0.0.1", port), source_address=(source, 0))
        except OSError:
            time.sleep(0.05)
    sys.exit("nothing listens on %d" % port)

def send(conn, line):
    conn.sendall(line.encode("iso2022_jp") + b"\r\n")

def sync(conn):
    send(conn, "PING x")
    data = b""
    while b"PONG" not in data:
        data += conn.recv(65536)

def xdotool(*args):
    return subprocess.run(["xdotool"] + list(args), capture_output=True, text=True).stdout.split()

def window(name, attempts=100):
    for _ in range(attempts):
        found = xdotool("search", "--onlyvisible", "--name", name)
        if found:
            return found[-1]
        time.sleep(0.1)
    sys.exit("no window named " + name)

def shot(win, name):
    time.sleep(1.0)  # let it paint
    subprocess.run(["import", "-window", win, os.path.join(outdir, name)], check=True)
    print(os.path.join(outdir, name))

try:
    socket.create_connection(("127.0.0.1", 6667)).close()
    sys.exit("port 6667 is taken by another program: stop it first")
except OSError:
    pass
web = subprocess.Popen([sys.executable, "-m", "http.server", "8088", "--bind", "127.0.0.1",
                        "--directory", os.path.join(os.environ["NOVALUNE_HOME"], "www")],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
started.append(web)
listing = subprocess.Popen([os.path.join(os.path.dirname(program), "novalune-list"), "--port", "8089", "--data",
                            os.path.join(os.environ["NOVALUNE_HOME"], "list")], stdout=subprocess.DEVNULL)
started.append(listing)
server = subprocess.Popen([program, "/SONLY"])
started.append(server)
try:
    hanako = connect(6667, "127.0.0.2")  # another machine: no host
    for line in ("USER hanako * * :hanako", "NICK hanako", "ICON http://127.0.0.1:8088/hanako.gif", "JOIN #雑談"):
        send(hanako, line)
    sync(hanako)
    # taro: the client window, started with a link to the server and the room.
    started.append(subprocess.Popen([program, "ZKWC2://127.0.0.1/雑談"]))
    window("NOVALUNE Ver1.13")
    time.sleep(1.0)
    xdotool("key", "Return")  # "接続を開始します": yes
    time.sleep(1.5)
    jiro = connect(6667, "127.0.0.3")
    for line in ("USER jiro * * :jiro", "NICK jiro", "ICON http://127.0.0.1:8088/jiro.gif", "JOIN #雑談"):
        send(jiro, line)
    sync(jiro)
    send(hanako, "PRIVMSG #雑談 :こんにちは、太郎さん。今日はいい天気ですね。")
    send(jiro, "PRIVMSG #雑談 :カタカナも大丈夫です http://example.com/ を見てください")
    send(jiro, "PRIVMSG #雑談 :\x01AWAY 席を離れます\x01")
    sync(hanako)
    sync(jiro)
    time.sleep(0.5)
    main = window("NOVALUNE Ver1.13")
    xdotool("mousemove", "--window", main, "300", "400")
    xdotool("click", "1")
    xdotool("type", "--delay", "30", "hello")
    xdotool("key", "Return")
    shot(main, "client-main.png")
    # The same in icon mode: "表示 › アイコンで表示".
    xdotool("mousemove", "--window", main, "108", "10", "click", "1")
    time.sleep(0.5)
    xdotool("key", "Down", "Down", "Down", "Down", "Down", "Return")
    time.sleep(1.5)  # the pictures come from the web server
    shot(main, "client-icons.png")
    # "アイコンの変更": the icon dialog with its list and preview.
    xdotool("mousemove", "--window", main, "265", "42", "click", "1")
    shot(window("アイコンの設定"), "client-icondialog.png")
    xdotool("key", "Escape")
    # The server list's page, where the client published its server at start.
    subprocess.run(["cutycapt", "--url=http://127.0.0.1:8089/", "--min-width=900", "--min-height=300",
                    "--out=" + os.path.join(outdir, "serverlist-page.png")], check=True)
    print(os.path.join(outdir, "serverlist-page.png"))
    # "サーバーの公開": the publication dialog.
    xdotool("mousemove", "--window", main, "298", "42", "click", "1")
    shot(window("サーバーの公開登録"), "client-publish.png")
    xdotool("key", "Escape")

    # A whisper opens hanako's window on taro's side; taro answers in it.
    send(hanako, "PRIVMSG taro :内緒の話です。後で電話してもいいですか？")
    sync(hanako)
    whisper = window("hanakoとのささやきBox")
    xdotool("windowmove", whisper, "700", "200")
    xdotool("mousemove", "--window", whisper, "180", "222", "click", "1")
    xdotool("type", "--delay", "30", "OK, see http://example.org/")
    xdotool("key", "Return")
    shot(whisper, "client-whisper.png")

    # "履歴 › URL" and "履歴 › ユーザー".
    for downs, caption, name in ((1, "URLリスト", "client-urllist.png"),
                                 (2, "ユーザー入退室リスト", "client-userhistory.png")):
        xdotool("mousemove", "--window", main, "368", "10", "click", "1")
        time.sleep(0.5)
        xdotool("key", *(["Down"] * downs), "Return")
        shot(window(caption), name)
        xdotool("key", "Escape")

    # hanako offers taro a file directly: the receive question, then the
    # progress window while the file arrives at a slow, steady pace.
    offer = socket.socket()
    offer.bind(("127.0.0.2", 0))
    offer.listen(1)
    size = 6 * 1024 * 1024
    send(hanako, "PRIVMSG taro :\x01DCC SEND 旅行の写真.zip %d %d %d\x01"
         % ((127 << 24) | 2, offer.getsockname()[1], size))
    sync(hanako)
    question = window("ファイルの受信")
    shot(question, "client-receive.png")
    xdotool("windowactivate", "--sync", question)
    xdotool("key", "Return")
    data, _ = offer.accept()
    data.setblocking(True)
    def trickle():
        block = bytes(range(256)) * 256
        sent = 0
        while sent < size:
            data.sendall(block[: min(len(block), size - sent)])
            sent += min(len(block), size - sent)
            time.sleep(0.1 if sent < size // 2 else 0)
    import threading
    feeder = threading.Thread(target=trickle, daemon=True)
    feeder.start()
    time.sleep(2.5)
    shot(window("ファイル転送"), "client-transfer.png")
    feeder.join()
    save = window("保存|Save")  # the save dialog: not kept
    xdotool("windowactivate", "--sync", save)
    xdotool("key", "Escape")
    time.sleep(0.5)
    data.close()
    offer.close()

    # The connect dialog from a second, unconnected client's menu "ファイル › 接続".
    started.append(subprocess.Popen([program, "/CONLY"]))
    time.sleep(2.0)
    second = window("未接続")
    xdotool("mousemove", "--window", second, "40", "10", "click", "1")
    time.sleep(0.5)
    xdotool("key", "Down", "Return")
    shot(window("Chatの接続"), "client-connect.png")
    xdotool("key", "Escape")

    link = connect(32570)
    link.sendall(b"VIEW")
    shot(window("NOVALUNEサーバー"), "client-console.png")
finally:
    for process in reversed(started):
        process.terminate()
    for process in started:
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
PY

NOVALUNE_HOME="$home" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x720x24" \
  python3 "$home/scene.py" "$program" "$outdir"
