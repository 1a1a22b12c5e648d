# Users without root: a member of group dialout opens the port (the node is
# root:dialout 0660 by udev's default rules); anyone else is told why not and
# how to get access.
echo "tech:x:1001:1001::/tmp:/bin/sh" >>/etc/passwd
echo "outsider:x:1002:1002::/tmp:/bin/sh" >>/etc/passwd
echo "tech:x:1001:" >>/etc/group
echo "outsider:x:1002:" >>/etc/group
sed -i 's/^dialout:x:\([0-9]*\):.*/dialout:x:\1:tech/' /etc/group
gadget_make 1
wait_for $BYID || fail "no by-id link"
ls -l /dev/ttyACM0
start_device || fail "the device did not start"
as() { user=$1; shift; (cd /tmp && setpriv --reuid="$user" --regid="$user" --init-groups "$@"); }
as tech "$CLI" info >/tmp/tech 2>&1 || { cat /tmp/tech; fail "a member of dialout cannot use the port"; }
grep -q "Brivel" /tmp/tech || fail "a member of dialout got no identity"
as outsider "$CLI" ports >/tmp/outsider 2>&1 && { cat /tmp/outsider; fail "an outsider's ports reported success"; }
cat /tmp/outsider
grep -q "dialout" /tmp/outsider || fail "the outsider is not told about group dialout"
as outsider "$CLI" --port $BYID info >/tmp/outsider-info 2>&1 && fail "an outsider's info reported success"
cat /tmp/outsider-info
grep -q "dialout" /tmp/outsider-info || fail "the outsider's info does not say how to get access"
