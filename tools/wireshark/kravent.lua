-- Wireshark dissector for KRAVENT modules: register exchange on TCP port 8010, module
-- test, scan and address change on UDP port 7010. Every frame is a six-byte header
-- (type, a second word, payload length), the payload and a 16-bit checksum, big-endian.
--
--   wireshark -X lua_script:tools/wireshark/kravent.lua capture.pcap
--   tshark -X lua_script:tools/wireshark/kravent.lua -r capture.pcap -V
-- or copy this file into the personal Lua plugins folder (Help > About > Folders).

local kravent = Proto("kravent", "KRAVENT module protocol")

local frame_types = {
    [0x0021] = "read request", [0x0022] = "write request", [0x0023] = "read answer", [0x002A] = "address change",
}

local fields = kravent.fields
fields.type = ProtoField.uint16("kravent.type", "Frame type", base.HEX, frame_types)
fields.word = ProtoField.uint16("kravent.word", "Second word", base.HEX)
fields.length = ProtoField.uint16("kravent.length", "Payload length", base.DEC)
fields.register = ProtoField.string("kravent.register", "Register")
fields.value = ProtoField.string("kravent.value", "Value")
fields.mac = ProtoField.ether("kravent.mac", "MAC address")
fields.ip = ProtoField.ipv4("kravent.ip", "New IP address")
fields.mask = ProtoField.ipv4("kravent.mask", "New subnet mask")
fields.checksum = ProtoField.uint16("kravent.checksum", "Checksum", base.HEX)
fields.checksum_status = ProtoField.string("kravent.checksum.status", "Checksum status")

-- address = {name, size on the wire, encoding}
local registers = {
    [0x00] = {"TYPE", 4, "halves"}, [0x01] = {"VERSION", 4, "halves"},
    [0x02] = {"RESETCPU", 0, "none"}, [0x03] = {"SAVEUSERPARAMETERS", 0, "none"},
    [0x04] = {"RESTOREUSERPARAMETERS", 0, "none"}, [0x05] = {"RESTOREFACTORYPARAMETERS", 0, "none"},
    [0x06] = {"SAVEFACTORYPARAMETERS", 0, "none"}, [0x07] = {"VOLTAGE", 4, "fixed"},
    [0x08] = {"WARNINGS", 4, "bits"}, [0x10] = {"COMMUNICATIONOPTIONS", 4, "bits"},
    [0x11] = {"ETHERNETMAC", 6, "mac"}, [0x12] = {"IPADDRESS", 4, "quad"}, [0x13] = {"SUBNETMASK", 4, "quad"},
    [0x14] = {"TCPTIMEOUT", 1, "byte"}, [0x15] = {"MODULENAME", 16, "text"},
    [0x1A] = {"TCPCONNECTIONSOPENED", 1, "byte"}, [0x20] = {"REGULATIONMODE", 1, "byte"},
    [0x21] = {"INPUT", 4, "s32"}, [0x22] = {"INPUTOFFSET", 4, "s32"}, [0x23] = {"INPUTOFFSETMEASURED", 4, "s32"},
    [0x24] = {"INPUTMIN", 4, "s32"}, [0x25] = {"INPUTMAX", 4, "s32"}, [0x26] = {"POSITION", 4, "s32"},
    [0x27] = {"POSITIONOFFSET", 4, "s32"}, [0x28] = {"SPEED", 4, "s32"}, [0x2A] = {"CURRENTMAX", 4, "fixed"},
    [0x2C] = {"OPTIONS", 4, "bits"}, [0x2D] = {"LOOPTIME", 1, "byte"}, [0x2E] = {"OUPUTVOLTAGEMAX", 4, "fixed"},
    [0x30] = {"DESIRED", 4, "s32"}, [0x31] = {"FEEDBACK", 4, "s32"}, [0x32] = {"COMMAND", 4, "s32"},
    [0x33] = {"KP", 4, "fixed"}, [0x34] = {"KI", 4, "fixed"}, [0x35] = {"KD", 4, "fixed"},
    [0x36] = {"ANTIRESETWINDUP", 4, "s32"}, [0x37] = {"INTEGRALDELTA", 4, "s32"},
    [0x38] = {"DERIVATIONOFDELTA", 4, "s32"}, [0x40] = {"ACCELERATION", 4, "s32"},
    [0x41] = {"DECELERATION", 4, "s32"}, [0x42] = {"TOPSPEED", 4, "s32"}, [0x43] = {"DEADZONE", 4, "s32"},
    [0x48] = {"HOMINGOPTIONS", 4, "homing"}, [0x49] = {"HOMING", 0, "none"}, [0x4A] = {"STOPHOMING", 0, "none"},
    [0x4B] = {"HOMINGPOSITION", 4, "s32"}, [0x4C] = {"HOMINGINPUT", 4, "s32"},
    [0x50] = {"LIMIT1SETUP", 4, "s32"}, [0x51] = {"LIMIT1REGULATIONMODE", 1, "byte"},
    [0x52] = {"LIMIT1POSITION", 4, "s32"}, [0x53] = {"LIMIT1XINPUT", 4, "s32"},
    [0x58] = {"LIMIT2SETUP", 4, "s32"}, [0x59] = {"LIMIT2REGULATIONMODE", 1, "byte"},
    [0x5A] = {"LIMIT2POSITION", 4, "s32"}, [0x5B] = {"LIMIT2XINPUT", 4, "s32"},
}

local HEADER, CHECKSUM = 6, 2

-- The sum of the complements of the big-endian 16-bit words, folded twice.
local function frame_checksum(tvb, offset, length)
    local sum, i = 0, 0
    while i + 1 < length do
        sum = sum + 0xFFFF - tvb(offset + i, 2):uint()
        i = i + 2
    end
    if i < length then sum = sum + 0xFFFF - tvb(offset + i, 1):uint() * 256 end
    sum = math.floor(sum / 65536) + sum % 65536
    sum = math.floor(sum / 65536) + sum % 65536
    return sum
end

local function value_text(range, encoding)
    if encoding == "halves" then return range(0, 2):uint() .. "." .. range(2, 2):uint() end
    if encoding == "fixed" then return string.format("%.6g", range:int() / 65536) end
    if encoding == "s32" then return tostring(range:int()) end
    if encoding == "byte" then return tostring(range:uint()) end
    if encoding == "bits" or encoding == "homing" then return string.format("0x%08x", range:uint()) end
    if encoding == "quad" then return string.format("%d.%d.%d.%d", range(0, 1):uint(), range(1, 1):uint(), range(2, 1):uint(), range(3, 1):uint()) end
    if encoding == "mac" then return tostring(range:ether()) end
    if encoding == "text" then return '"' .. range:stringz() .. '"' end
    return ""
end

-- Register items: addresses alone (read request), or addresses with values.
local function dissect_items(tvb, tree, offset, length, with_values)
    local names, stop = {}, offset + length
    while offset < stop do
        local address = tvb(offset, 1):uint()
        local register = registers[address]
        if register == nil then
            tree:add(fields.register, tvb(offset, stop - offset), string.format("unknown address 0x%02x", address))
            names[#names + 1] = string.format("0x%02x?", address)
            break
        end
        local name, size, encoding = register[1], register[2], register[3]
        if not with_values or size == 0 then
            tree:add(fields.register, tvb(offset, 1), name)
            names[#names + 1] = name
            offset = offset + 1
        elseif offset + 1 + size > stop then
            tree:add(fields.register, tvb(offset, stop - offset), name .. " (cut)")
            break
        else
            local text = value_text(tvb(offset + 1, size), encoding)
            local item = tree:add(fields.register, tvb(offset, 1 + size), name):set_text(name .. " = " .. text)
            item:add(fields.value, tvb(offset + 1, size), text)
            names[#names + 1] = name .. "=" .. text
            offset = offset + 1 + size
        end
    end
    return table.concat(names, " ")
end

-- One frame at `offset`, `total` bytes; returns a short summary.
local function dissect_frame(tvb, tree, offset, total)
    local kind = tvb(offset, 2):uint()
    local length = tvb(offset + 4, 2):uint()
    local label = frame_types[kind] or string.format("frame type 0x%04x", kind)
    local subtree = tree:add(kravent, tvb(offset, total), "KRAVENT " .. label)
    subtree:add(fields.type, tvb(offset, 2))
    subtree:add(fields.word, tvb(offset + 2, 2))
    subtree:add(fields.length, tvb(offset + 4, 2))
    local summary = ""
    if kind == 0x0021 then
        summary = dissect_items(tvb, subtree, offset + HEADER, length, false)
    elseif kind == 0x0022 or kind == 0x0023 then
        summary = dissect_items(tvb, subtree, offset + HEADER, length, true)
    elseif kind == 0x002A and length >= 14 then
        local p = offset + HEADER
        subtree:add(fields.mac, tvb(p, 6))
        subtree:add(fields.ip, tvb(p + 6, 4))
        subtree:add(fields.mask, tvb(p + 10, 4))
        summary = tostring(tvb(p, 6):ether()) .. " to " .. tostring(tvb(p + 6, 4):ipv4()) .. "/" .. tostring(tvb(p + 10, 4):ipv4())
    end
    local stated = tvb(offset + HEADER + length, 2):uint()
    local computed = frame_checksum(tvb, offset, HEADER + length)
    subtree:add(fields.checksum, tvb(offset + HEADER + length, 2))
    local status = stated == computed and "correct" or string.format("wrong (should be 0x%04x)", computed)
    subtree:add(fields.checksum_status, tvb(offset + HEADER + length, 2), status)
    if stated ~= computed then summary = summary .. " [bad checksum]" end
    return label .. (summary ~= "" and (": " .. summary) or "")
end

function kravent.dissector(tvb, pinfo, tree)
    local offset, summaries, wanted = 0, {}, nil
    while offset < tvb:len() do
        local left = tvb:len() - offset
        if left < HEADER then
            wanted = DESEGMENT_ONE_MORE_SEGMENT
            break
        end
        local total = HEADER + tvb(offset + 4, 2):uint() + CHECKSUM
        if left < total then
            wanted = total - left
            break
        end
        summaries[#summaries + 1] = dissect_frame(tvb, tree, offset, total)
        offset = offset + total
    end
    if #summaries > 0 then
        pinfo.cols.protocol = "KRAVENT"
        pinfo.cols.info = table.concat(summaries, "; ")
    end
    -- A TCP frame in several segments: ask for the rest from its first byte on, and claim
    -- the whole segment, as TCP takes a result of 0 for "not this protocol" and then
    -- insists that nothing was asked. A cut datagram stays cut.
    if wanted ~= nil and pinfo.can_desegment > 0 then
        pinfo.desegment_offset, pinfo.desegment_len = offset, wanted
        return tvb:len()
    end
    return offset
end

DissectorTable.get("tcp.port"):add(8010, kravent)
DissectorTable.get("udp.port"):add(7010, kravent)
